// A damaged limits file is told in the window's language: every fault the file can have has a
// Chinese account naming the same line, besides the English one the log and the tools keep.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "log/LimitsFile.h"

using namespace korvex;

namespace {

TEST(LimitsFaultLanguage, everyFaultHasAChineseAccountOfTheSameLine)
{
    const char* const files[] = {
        "[default]\nlamp_current_crest_factor_max = 1,7\n", // a value out of its range
        "[default]\nclass_c_harmonics = maybe\n",
        "[default]\npower_factor = 0.9\n", // an unknown key
        "[default]\npower_factor_min = 0.9\npower_factor_min = 0.95\n",
        "[default]\n[default]\n",
        "[T8\n",
        "[default]\njust words\n",
        "[default]\nbench = \xff\xfe\n",
        "[log]\ndatabase = mysql://host/db\n",
        "[log]\ndatabase = postgresql://host/\n",
        "[log]\ndatabse = x.db\n",
    };
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    static const QRegularExpression english(
        QStringLiteral("\\b(line|must|not|unknown|given|expected|empty|names|missing|section|appears|valid|text)\\b"));
    for (const char* text : files) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QLatin1String(kProfileFileName));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        const LimitsFile limits = readLimitsFile(path, false);
        ASSERT_FALSE(limits.ok()) << text;
        const QString line = limits.error.section(QLatin1Char(':'), 0, 0).section(QLatin1Char(' '), -1); // "2"
        EXPECT_TRUE(limits.errorZh.contains(QStringLiteral("第 %1 行").arg(line))) << limits.errorZh.toStdString();
        EXPECT_TRUE(limits.errorZh.contains(han)) << limits.errorZh.toStdString();
        EXPECT_FALSE(limits.errorZh.contains(english)) << limits.errorZh.toStdString();
        EXPECT_FALSE(limits.error.contains(han)) << limits.error.toStdString(); // the log keeps English
    }
}

} // namespace
