// End to end: korvex-cli run against korvex-sim over a real pseudo-terminal (the QSerialPort
// path), and against the built-in simulator.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Result {
    int status = -1;
    QString out, err;
};

class SimProcess {
  public:
    explicit SimProcess(const QStringList& args)
    {
        proc.start(QStringLiteral(KORVEX_SIM_PATH), args);
        if (proc.waitForStarted(5000) && proc.waitForReadyRead(5000))
            path = QString::fromLocal8Bit(proc.readLine()).trimmed();
    }
    ~SimProcess()
    {
        if (proc.state() != QProcess::NotRunning) {
            proc.terminate();
            if (!proc.waitForFinished(3000))
                proc.kill();
        }
        proc.waitForFinished(3000);
    }
    QProcess proc;
    QString path;
};

Result runCli(const QStringList& args, int waitMs = 120000)
{
    QProcess cli;
    cli.start(QStringLiteral(KORVEX_CLI_PATH), QStringList{QStringLiteral("run")} + args);
    Result r;
    if (!cli.waitForFinished(waitMs)) {
        cli.kill();
        cli.waitForFinished();
        r.err = QStringLiteral("did not finish");
        return r;
    }
    r.status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    r.out = QString::fromUtf8(cli.readAllStandardOutput());
    r.err = QString::fromUtf8(cli.readAllStandardError());
    return r;
}

// The tests that expect their runs to complete are not about the link's time limits: on a
// machine loaded by other work (a parallel build) a starved process may answer late, so they
// give the handshake and each reply 20 s instead of the instrument's 2 and 4. The limits
// themselves are tested with the driven clock, and here by ASilentInstrumentFailsTheHandshake
// and AStallMidBlockIsAnOverdueReply at 2000 and 4000 ms.
const QStringList kUnderLoad{QStringLiteral("--link-limits"), QStringLiteral("20000,20000")};

QStringList fileLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

TEST(EndToEndPty, RepeatedInputTestSavesTheFileAndOneCsvLinePerRun)
{
    SimProcess sim({});
    ASSERT_TRUE(sim.path.startsWith(QStringLiteral("/dev/pts/"))) << sim.path.toStdString();
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("runs.csv"));
    const QString kvx = dir.filePath(QStringLiteral("runs.kvx"));
    const Result r =
        runCli(QStringList{QStringLiteral("input"), QStringLiteral("--port"), sim.path, QStringLiteral("--count"),
                           QStringLiteral("3"), QStringLiteral("--csv"), csv, QStringLiteral("--save"), kvx,
                           QStringLiteral("--timeout"), QStringLiteral("90")} +
               kUnderLoad);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.count(QStringLiteral("completed")), 3);
    const QStringList lines = fileLines(csv);
    ASSERT_EQ(lines.size(), 4); // title and three value lines
    EXPECT_EQ(QFileInfo(kvx).size(), 23129);
}

TEST(EndToEndPty, AComNameResolvesThroughItsEnvironmentVariable)
{
    SimProcess sim({});
    qputenv("KORVEX_COM3", sim.path.toUtf8());
    const Result r = runCli(QStringList{QStringLiteral("output"), QStringLiteral("--port"), QStringLiteral("COM3"),
                                        QStringLiteral("--timeout"), QStringLiteral("90")} +
                            kUnderLoad);
    qunsetenv("KORVEX_COM3");
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.count(QStringLiteral("completed")), 1);
}

TEST(EndToEndPty, EnergyTestRunsOnceOverThePty)
{
    SimProcess sim({QStringLiteral("--scenario"), QStringLiteral("cheap")});
    ASSERT_FALSE(sim.path.isEmpty());
    const Result r = runCli(QStringList{QStringLiteral("energy"), QStringLiteral("--port"), sim.path,
                                        QStringLiteral("--timeout"), QStringLiteral("90")} +
                            kUnderLoad);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.count(QStringLiteral("completed")), 1);
}

TEST(EndToEndPty, ADisconnectInTheMiddleOfABlockEndsWithStatus2)
{
    SimProcess sim({QStringLiteral("--fault"), QStringLiteral("disconnect:150:2")});
    ASSERT_FALSE(sim.path.isEmpty());
    const Result r = runCli({QStringLiteral("output"), QStringLiteral("--port"), sim.path, QStringLiteral("--timeout"),
                             QStringLiteral("30")});
    EXPECT_EQ(r.status, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("device disconnected"))) << r.err.toStdString();
    EXPECT_EQ(r.out.count(QStringLiteral("completed")), 0);
}

TEST(EndToEndPty, BytesWaitingBeforeTheHandshakeDoNotFailTheRun)
{
    for (const char* stale : {"1", "100"}) {
        SimProcess sim({QStringLiteral("--stale"), QLatin1String(stale)});
        ASSERT_FALSE(sim.path.isEmpty());
        const Result r =
            runCli(QStringList{QStringLiteral("input"), QStringLiteral("--port"), sim.path, QStringLiteral("--count"),
                               QStringLiteral("2"), QStringLiteral("--timeout"), QStringLiteral("90")} +
                   kUnderLoad);
        EXPECT_EQ(r.status, 0) << stale << " stale bytes: " << r.err.toStdString();
        EXPECT_EQ(r.out.count(QStringLiteral("completed")), 2);
    }
}

TEST(EndToEndPty, ASilentInstrumentFailsTheHandshake)
{
    SimProcess sim({QStringLiteral("--fault"), QStringLiteral("silent")});
    ASSERT_FALSE(sim.path.isEmpty());
    const Result r = runCli({QStringLiteral("input"), QStringLiteral("--port"), sim.path});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("handshake"))) << r.err.toStdString();
}

TEST(EndToEndPty, AStallMidBlockIsAnOverdueReply)
{
    SimProcess sim({QStringLiteral("--fault"), QStringLiteral("stall:100:1")});
    ASSERT_FALSE(sim.path.isEmpty());
    const Result r = runCli({QStringLiteral("input"), QStringLiteral("--port"), sim.path});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("4000 ms"))) << r.err.toStdString();
}

TEST(EndToEndBuiltIn, ComprehensiveRepeatsOnTheBuiltInSimulator)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("c.csv"));
    const Result r = runCli({QStringLiteral("comprehensive"), QStringLiteral("--port"), QStringLiteral("sim"),
                             QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--csv"), csv});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileLines(csv).size(), 3);
}

TEST(EndToEndBuiltIn, TimeoutAndBadArgumentsAreReported)
{
    const Result missing =
        runCli({QStringLiteral("input"), QStringLiteral("--port"), QStringLiteral("/dev/korvex-missing")});
    EXPECT_EQ(missing.status, 2);
    const Result usage = runCli({QStringLiteral("warp"), QStringLiteral("--port"), QStringLiteral("sim")});
    EXPECT_EQ(usage.status, 1);
    for (const char* limits : {"4000", "0,4000", "2000,4s", "2000,", ",4000"}) {
        const Result bad = runCli({QStringLiteral("input"), QStringLiteral("--port"), QStringLiteral("sim"),
                                   QStringLiteral("--link-limits"), QLatin1String(limits)});
        EXPECT_EQ(bad.status, 1) << limits;
    }
    // A paced start test waits for its lamp far longer than the time allowed.
    SimProcess sim({QStringLiteral("--pace"), QStringLiteral("--lamp-wait"), QStringLiteral("60000")});
    ASSERT_FALSE(sim.path.isEmpty());
    // A fraction of a second that a whole-second or coarse timer would cut short: the run
    // gives up, but never before the time given.
    QElapsedTimer elapsed;
    elapsed.start();
    const Result slow = runCli({QStringLiteral("start"), QStringLiteral("--port"), sim.path,
                                QStringLiteral("--timeout"), QStringLiteral("2.5")});
    EXPECT_GE(elapsed.elapsed(), 2500);
    EXPECT_EQ(slow.status, 2);
    EXPECT_TRUE(slow.err.contains(QStringLiteral("timed out after 2.5 s"))) << slow.err.toStdString();
}

} // namespace
