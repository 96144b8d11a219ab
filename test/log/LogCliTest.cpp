// korvex-cli run --log and log list/show on the built-in simulated instrument; a run that
// cannot be logged is reported and fails the tool.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

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

TEST(LogCli, aRunThatCannotBeLoggedIsReportedWithStatusTwo)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("log.db"));
    QProcess p;
    // The tool runs on a full disk: no file may grow (SIGXFSZ ignored, so writes fail instead).
    p.setChildProcessModifier([] {
        rlimit lim{};
        ::getrlimit(RLIMIT_FSIZE, &lim);
        lim.rlim_cur = 0;
        ::setrlimit(RLIMIT_FSIZE, &lim);
        std::signal(SIGXFSZ, SIG_IGN);
    });
    p.start(QStringLiteral(KORVEX_CLI_PATH), {"run", "input", "--port", "sim", "--log", db});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("results log: cannot open the results log ") + db)) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("disk"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("1 run(s) could not be written to the results log ") + db))
        << err.toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().contains("run 1 of 1: input completed"));
}

} // namespace
