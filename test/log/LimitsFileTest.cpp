// KORVEX-limits.ini as one file: each section checked as strictly as the limits, every line
// ending and a byte order mark read alike, the file written only when missing and re-read when
// it changes, and damaged [log] settings that hold the runs instead of sending them elsewhere.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "LogTestSupport.h"
#include "log/LimitsFile.h"
#include "log/LogQuery.h"
#include "log/LogSettings.h"
#include "log/ResultsLog.h"

using namespace korvex;

namespace {

struct LimitsDir {
    QString path() const { return dir.filePath(QLatin1String(kProfileFileName)); }
    void write(const QByteArray& text) const
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QByteArray bytes() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    LimitsFile read() const { return readLimitsFile(path(), false); }

    QTemporaryDir dir;
};

TEST(LimitsFile, everyLineEndingAndAByteOrderMarkReadTheSame)
{
    // After the opening comment a tighter crest factor and a [log] bench: with the lines run
    // together the limit would be lost and a failing ballast would pass.
    const QByteArray lines[] = {"# plant limits", "[default]", "lamp_current_crest_factor_max = 1.2", "[log]",
                                "bench = Line 2"};
    for (const QByteArray& end : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r")}) {
        for (const QByteArray& bom : {QByteArray(), QByteArray("\xEF\xBB\xBF")}) {
            LimitsDir d;
            QByteArray text = bom;
            for (const QByteArray& l : lines)
                text += l + end;
            d.write(text);
            const LimitsFile f = d.read();
            const std::string what = "ending " + QByteArray(end).toHex().toStdString() + (bom.isEmpty() ? "" : " bom");
            ASSERT_TRUE(f.ok()) << what << ": " << f.error.toStdString();
            EXPECT_DOUBLE_EQ(f.profiles.findOrDefault("").lampCrestMax, 1.2) << what;
            EXPECT_EQ(f.log.bench, QStringLiteral("Line 2")) << what;
        }
    }
}

TEST(LimitsFile, everySectionNamesItsWrongLine)
{
    const struct {
        const char* text;
        int line;
        bool logUsable;
    } cases[] = {
        {"[log]\ndatabse = postgresql://korvex@db/korvex\n", 2, false}, // misspelt key
        {"[log]\n\nbench   Line 2\n", 3, false},                        // no '='
        {"[log]\ndatabase = postgresq://korvex@db/korvex\n", 2, false}, // misspelt scheme: not a file
        {"[log]\ndatabase = postgresql://korvex@db\n", 2, false},       // no database
        {"[lo\ndatabase = /tmp/other.db\n", 1, false},                  // maybe [log]: not read
        {"[log]\nbench = A\nbench = B\n", 3, false},                    // which one?
        {"[default]\npower_factor_min = 1.5x\n[log]\nbench = A\n", 2, true},
        {"[T8]\n\n\npower_factor_min = 1.5\n", 4, true}, // out of range
        {"[default]\nlamp_current_crest_factor_max = 0.7\n", 2, true},
        {"[archive]\nfolder = /srv/a\nfoldr = /srv/b\n", 3, true},            // misspelt key
        {"[archive]\nfolder = /srv/a\npattern = {date}/{serail}\n", 3, true}, // unknown placeholder
        {"[archive]\npattern = {date}/../{serial}\n", 2, true},               // out of the folder
        {"[archive]\npattern = /srv/{serial}\n", 2, true},                    // not below the folder
    };
    for (const auto& c : cases) {
        LimitsDir d;
        d.write(c.text);
        const LimitsFile f = d.read();
        EXPECT_TRUE(f.error.startsWith(QStringLiteral("KORVEX-limits.ini line %1: ").arg(c.line)))
            << c.text << " -> " << f.error.toStdString();
        EXPECT_EQ(f.logUsable, c.logUsable) << c.text;
        EXPECT_FALSE(f.archive.on()) << c.text; // a damaged file archives nothing
        // Never the default file in place of the log the settings meant.
        EXPECT_EQ(logTargetOf(f, d.dir.path()).unusable.isEmpty(), c.logUsable) << c.text;
    }
}

TEST(LimitsFile, oneCommentRuleForEverySection)
{
    LimitsDir d;
    d.write("[default]\npower_factor_min = 0.9   # plant rule\n"
            "[log]\ndatabase = postgresql://korvex@db.plant/korvex # the server\nbench = Line#2\n");
    const LimitsFile f = d.read();
    ASSERT_TRUE(f.ok()) << f.error.toStdString();
    EXPECT_DOUBLE_EQ(f.profiles.findOrDefault("").powerFactorMin, 0.9);
    EXPECT_EQ(f.log.database, QStringLiteral("postgresql://korvex@db.plant/korvex"));
    EXPECT_EQ(f.log.bench, QStringLiteral("Line#2")); // '#' starts a comment only after a blank
}

TEST(LimitsFile, archiveFolderBesideTheFileAndOffByDefault)
{
    LimitsDir d;
    d.write("[archive]\nfolder = archive/../line2  # beside this file\npattern = {type}/{date}_{serial}\n");
    const LimitsFile f = d.read();
    ASSERT_TRUE(f.ok()) << f.error.toStdString();
    EXPECT_EQ(f.archive.folder, QDir(d.dir.path()).filePath(QStringLiteral("line2")).toStdString());
    EXPECT_EQ(f.archive.pattern, "{type}/{date}_{serial}");
    // The profiles do not take the section for a ballast type.
    EXPECT_EQ(f.profiles.names(), std::vector<std::string>{"default"});

    d.write("[archive]\nfolder =\n");
    EXPECT_FALSE(d.read().archive.on());
    d.write("[archive]\nfolder = /srv/korvex\n");
    EXPECT_EQ(d.read().archive, (ArchiveSettings{"/srv/korvex", "{date}/{serial}_{verdict}"}));

    // The file written with the defaults explains the section and archives nothing.
    LimitsDir fresh;
    const LimitsFile written = readLimitsFile(fresh.path(), true);
    ASSERT_TRUE(written.ok());
    EXPECT_FALSE(written.archive.on());
    EXPECT_TRUE(fresh.bytes().contains("# An [archive] section"));
}

TEST(LimitsFile, writtenOnlyWhenMissingAndReadAgainWhenChanged)
{
    LimitsDir d;
    LimitsWatch watch(d.path(), true);
    ASSERT_TRUE(watch.current().ok());
    const QByteArray defaults = d.bytes();
    EXPECT_TRUE(defaults.contains("[default]"));
    EXPECT_EQ(parseProfiles(defaults.toStdString()).set.profiles, ProfileSet{}.profiles);

    QSignalSpy changed(&watch, &LimitsWatch::changed);
    const QByteArray damaged = "[default]\nlamp_current_crest_factor_max = 1,7\n";
    d.write(damaged);
    ASSERT_TRUE(changed.wait(5000)); // told by the watch, without asking
    EXPECT_TRUE(watch.current().error.startsWith(QStringLiteral("KORVEX-limits.ini line 2")));
    LimitsWatch again(d.path(), true); // a program starting with a damaged file
    EXPECT_FALSE(again.current().ok());
    EXPECT_EQ(d.bytes(), damaged);

    d.write("[default]\nlamp_current_crest_factor_max = 1.5\n");
    EXPECT_TRUE(watch.refresh().ok()); // asked before a judgement: read again at once
    EXPECT_DOUBLE_EQ(watch.current().profiles.findOrDefault("").lampCrestMax, 1.5);
}

TEST(LimitsFile, runsHeldByDamagedLogSettingsGoToTheLogTheFixedSettingsName)
{
    QTemporaryDir dir;
    LimitsDir d;
    d.write("[log]\ndatabse = " + dir.filePath("plant.db").toUtf8() + "\n");
    const LogTarget held = logTargetOf(d.read(), dir.path());
    ASSERT_FALSE(held.unusable.isEmpty());

    // Held at close: set aside, nothing written anywhere else.
    const LogEntry first = knownEntry(KindInput, "SN-0001", 1000, 36.0f, true);
    {
        ResultsLog log(held);
        QString problem;
        QObject::connect(&log, &ResultsLog::problem, [&](const QString& t) { problem = t; });
        log.submit(first);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !problem.isEmpty(); }, 5000));
        EXPECT_TRUE(problem.contains(QStringLiteral("line 2: unknown key 'databse'"))) << problem.toStdString();
        EXPECT_EQ(log.close(), 0);
        EXPECT_EQ(log.setAside(), 1);
    }
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*log*.db")}).isEmpty());

    // The next program held too; then the file is fixed while it runs.
    const LogEntry second = knownEntry(KindInput, "SN-0002", 2000, 37.0f, true);
    ResultsLog log(held);
    QStringList logged;
    QObject::connect(&log, &ResultsLog::logged, [&](const QString& id) { logged << id; });
    log.submit(second);
    d.write("[log]\ndatabase = " + dir.filePath("plant.db").toUtf8() + "\n");
    const LogTarget fixed = logTargetOf(d.read(), dir.path());
    ASSERT_TRUE(fixed.unusable.isEmpty());
    log.retarget(fixed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return logged.size() == 2; }, 10000));
    EXPECT_EQ(log.close(), 0);
    LogQuery q;
    QString error;
    ASSERT_TRUE(q.open(fixed, &error)) << error.toStdString();
    EXPECT_TRUE(q.entry(first.id, &error));
    EXPECT_TRUE(q.entry(second.id, &error));
}

} // namespace
