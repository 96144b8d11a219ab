// korvex-cli run --log and log list/show on the built-in simulated instrument.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QByteArray cli(const QStringList& args, int* status = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(KORVEX_CLI_PATH), args);
    p.waitForFinished(60000);
    if (status)
        *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput();
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(LogCli, aRunLoggedByTheToolReadsBackAsTheSameDataFile)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("log.db"));
    int status = -1;
    cli({"run", "input", "--port", "sim", "--save", dir.filePath("run.kvx"), "--log", db}, &status);
    ASSERT_EQ(status, 0);
    cli({"run", "output", "--port", "sim", "--count", "2", "--log", db}, &status);
    ASSERT_EQ(status, 0);

    const QJsonArray list = QJsonDocument::fromJson(cli({"log", "list", "--json", "--db", db}, &status)).array();
    ASSERT_EQ(status, 0);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].toObject()["kind"].toString(), "output"); // newest first
    EXPECT_EQ(list[0].toObject()["seriesRuns"].toInt(), 2);
    const QJsonObject input = list[1].toObject();
    EXPECT_EQ(input["kind"].toString(), "input");
    EXPECT_TRUE(input["values"].toObject().contains("Pin"));
    EXPECT_FALSE(input["values"].toObject().contains("Pout")); // an input run measures no output

    cli({"log", "show", input["id"].toString().left(8), "--save", dir.filePath("back.kvx"), "--db", db}, &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(fileBytes(dir.filePath("back.kvx")), fileBytes(dir.filePath("run.kvx")));

    const QList<QByteArray> csv = cli({"log", "list", "--csv", "--kind", "input", "--db", db}).split('\n');
    ASSERT_GE(csv.size(), 2);
    EXPECT_EQ(csv[0].count(','), 10 + 43);
    EXPECT_EQ(csv[1].count(','), 10 + 43);
    cli({"log", "show", "00000000", "--db", db}, &status);
    EXPECT_EQ(status, 2);
}

} // namespace
