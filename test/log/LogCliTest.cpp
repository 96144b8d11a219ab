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
    EXPECT_EQ(csv[0].count(','), 11 + 43);
    EXPECT_EQ(csv[1].count(','), 11 + 43);
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

// korvex-cli as a portable copy: a KORVEX.cfg beside it puts its limits and log beside it too.
struct PortableCli {
    PortableCli()
    {
        QFile::copy(QStringLiteral(KORVEX_CLI_PATH), dir.filePath(QStringLiteral("korvex-cli")));
        QFile(dir.filePath(QStringLiteral("korvex-cli"))).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        QFile settings(dir.filePath(QStringLiteral("KORVEX.cfg")));
        settings.open(QIODevice::WriteOnly);
    }
    void limits(const QByteArray& text, const char* name = "KORVEX-limits.ini")
    {
        QFile f(dir.filePath(QLatin1String(name)));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
    }
    int run(const QStringList& args)
    {
        QProcess p;
        p.start(dir.filePath(QStringLiteral("korvex-cli")), args);
        p.waitForFinished(60000);
        out = p.readAllStandardOutput();
        err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QTemporaryDir dir;
    QByteArray out;
    QString err;
};

TEST(LogCli, aStartRunHasNoChecksAndDamagedSettingsStopTheToolLoudly)
{
    PortableCli cli;
    EXPECT_EQ(cli.run({"run", "start", "--port", "sim", "--verdict"}), 0) << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains("no checks")) << cli.out.toStdString();

    // A damaged limit: nothing is judged, by run and by verdict alike.
    cli.limits("[default]\nlamp_current_crest_factor_max = 1,7\n");
    EXPECT_EQ(cli.run({"run", "output", "--port", "sim", "--verdict", "--save", cli.dir.filePath("o.kvx")}), 2);
    EXPECT_TRUE(cli.err.contains("not judged: KORVEX-limits.ini line 2: 'lamp_current_crest_factor_max'"))
        << cli.err.toStdString();
    EXPECT_EQ(cli.run({"verdict", cli.dir.filePath("o.kvx")}), 2);
    EXPECT_TRUE(cli.err.contains("not judged: KORVEX-limits.ini line 2")) << cli.err.toStdString();

    // A misspelt [log] key: the run is not sent to a log of the tool's own choosing.
    cli.limits("[log]\ndatabse = postgresql://korvex@db.plant/korvex\n");
    EXPECT_EQ(cli.run({"run", "input", "--port", "sim", "--log"}), 2);
    EXPECT_TRUE(cli.err.contains("line 2: unknown key 'databse' in [log]")) << cli.err.toStdString();
    EXPECT_FALSE(QFile::exists(cli.dir.filePath(QStringLiteral("KORVEX-log.db"))));
}

} // namespace
