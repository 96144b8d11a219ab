// Where the programs keep their files: a portable copy keeps them beside itself, an installed
// program in the user's folders, and a plant-wide limits file stands in for a user's missing
// one. End to end: korvex-cli unpacked as a package logs into the user's folders, copied on its own it
// logs beside itself, never into the build tree; runs that waited for the log server reach it
// at the next run.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <unistd.h>

#include "PgServer.h"
#include "log/Locations.h"

using namespace korvex;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

/// A home of its own: the user's and the system's configuration and data folders in a
/// temporary folder, for as long as the object lives.
class ScratchHome {
  public:
    ScratchHome()
    {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS", "KORVEX_DB"})
            saved_.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv("HOME", QFile::encodeName(path("home")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("home/.config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("home/.local/share")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path("etc/xdg")));
        qunsetenv("KORVEX_DB");
    }
    ~ScratchHome()
    {
        for (const Saved& s : saved_)
            s.set ? qputenv(s.name, s.value) : qunsetenv(s.name);
    }
    QString path(const char* rel) const { return dir_.filePath(QLatin1String(rel)); }

  private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool set;
    };
    QTemporaryDir dir_;
    QList<Saved> saved_;
};

TEST(Locations, aWritableFolderHoldingTheConfigurationKeepsEveryFileBesideTheProgram)
{
    ScratchHome home;
    QTemporaryDir program;
    writeFile(program.filePath("KORVEX.cfg"), "[Port]\r\nCOM1\r\n[End]\r\n");
    writeFile(home.path("etc/xdg/korvex/KORVEX-limits.ini"), "[default]\n"); // not for a portable copy

    const Locations l = locationsFor(program.path());
    const QString dir = program.path() + QLatin1Char('/');
    EXPECT_TRUE(l.portable) << l.reason.toStdString();
    EXPECT_EQ(l.configFile(), dir + "KORVEX.cfg");
    EXPECT_EQ(l.limitsFile(), dir + "KORVEX-limits.ini");
    EXPECT_FALSE(l.limitsSystemWide);
    EXPECT_EQ(l.logTarget().path, dir + "KORVEX-log.db");
    EXPECT_EQ(l.logTarget().unwrittenPath, dir + "KORVEX-unwritten.db");
    // Looking creates nothing.
    EXPECT_EQ(QDir(home.path("home")).exists(), false);
}

TEST(Locations, anInstallationLayoutOrAFolderWithoutWriteAccessIsAnInstalledProgramUsingTheUsersFolders)
{
    ScratchHome home;
    QTemporaryDir root;
    // A package unpacked anywhere: writable, and even a KORVEX.cfg beside it makes no portable copy.
    const QString program = root.filePath(QStringLiteral("usr/bin"));
    writeFile(program + QStringLiteral("/KORVEX.cfg"), "");
    Locations l = locationsFor(program);
    EXPECT_FALSE(l.portable) << l.reason.toStdString();
    EXPECT_EQ(l.configFile(), home.path("home/.config/korvex/KORVEX.cfg"));
    EXPECT_EQ(l.limitsFile(), home.path("home/.config/korvex/KORVEX-limits.ini"));
    EXPECT_EQ(l.logTarget().path, home.path("home/.local/share/korvex/KORVEX-log.db"));
    EXPECT_EQ(l.logTarget().unwrittenPath, home.path("home/.local/share/korvex/KORVEX-unwritten.db"));
    ASSERT_TRUE(makeLocationFolders(l));
    EXPECT_TRUE(QFileInfo(home.path("home/.config/korvex")).isDir());
    EXPECT_TRUE(QFileInfo(home.path("home/.local/share/korvex")).isDir());
    EXPECT_FALSE(locationsFor(root.filePath(QStringLiteral("home/.local/bin"))).portable);
    // The system's program folders are never a portable copy, even for root.
    EXPECT_FALSE(locationsFor(QStringLiteral("/usr/bin")).portable);

    // A program folder copied anywhere else is a portable copy before its first run writes
    // KORVEX.cfg, and after; unless this user may not write it (root may write anything).
    QTemporaryDir copy;
    EXPECT_TRUE(locationsFor(copy.path()).portable);
    writeFile(copy.filePath("KORVEX.cfg"), "");
    EXPECT_TRUE(locationsFor(copy.path()).portable);
    if (::geteuid() != 0) {
        QFile::setPermissions(copy.path(), QFile::ReadOwner | QFile::ExeOwner);
        l = locationsFor(copy.path());
        QFile::setPermissions(copy.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_FALSE(l.portable) << l.reason.toStdString();
        EXPECT_EQ(l.configFile(), home.path("home/.config/korvex/KORVEX.cfg"));
    }
}

TEST(Locations, thePlantWideLimitsStandInForTheUsersMissingOnesWithTheQueueInTheUsersFolder)
{
    ScratchHome home;
    QTemporaryDir root;
    const QString program = root.filePath(QStringLiteral("usr/bin"));
    const QString plant = home.path("etc/xdg/korvex/KORVEX-limits.ini");
    writeFile(plant, "[default]\npower_factor_min = 0.9\n\n[log]\ndatabase = postgresql://korvex@db.plant/korvex\n");

    Locations l = locationsFor(program);
    EXPECT_TRUE(l.limitsSystemWide);
    EXPECT_EQ(l.limitsFile(), plant);
    const LogTarget target = l.logTarget();
    EXPECT_TRUE(target.isServer());
    EXPECT_EQ(target.url, "postgresql://korvex@db.plant/korvex");
    // Runs wait for the server in the user's folder, never in the system's.
    EXPECT_EQ(target.queuePath, home.path("home/.local/share/korvex/KORVEX-queue.db"));

    // The user's own file wins once there is one.
    writeFile(home.path("home/.config/korvex/KORVEX-limits.ini"), "[default]\n");
    l = locationsFor(program);
    EXPECT_FALSE(l.limitsSystemWide);
    EXPECT_EQ(l.limitsFile(), home.path("home/.config/korvex/KORVEX-limits.ini"));
    EXPECT_FALSE(l.logTarget().isServer());
}

// ---- korvex-cli outside the build tree ------------------------------------------------------

struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

CliRun runCli(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    CliRun r;
    if (!p.waitForFinished(120000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

/// The names and sizes of what lies in a folder, to see that a run left it alone.
QStringList folderState(const QString& dir)
{
    QStringList state;
    for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        state << QStringLiteral("%1 %2 %3").arg(f.fileName()).arg(f.size()).arg(f.lastModified().toMSecsSinceEpoch());
    return state;
}

TEST(Locations, aCliOutsideTheBuildTreeLogsInItsOwnPlaceAndLeavesTheBuildTreeAlone)
{
    ScratchHome home;
    QTemporaryDir root;
    const QDir copy(root.filePath(QStringLiteral("usr/bin"))); // a package unpacked
    ASSERT_TRUE(copy.mkpath(QStringLiteral(".")));
    const QString cli = copy.filePath(QStringLiteral("korvex-cli"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KORVEX_CLI_PATH), cli));
    const QString buildCli = QFileInfo(QStringLiteral(KORVEX_CLI_PATH)).absolutePath();
    const QString buildWindow = QFileInfo(QStringLiteral(KORVEX_WINDOW_PATH)).absolutePath();
    const QStringList before = folderState(buildCli) + folderState(buildWindow);

    const CliRun r = runCli(cli, {"run", "input", "--port", "sim", "--log"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("logged "))) << r.out.toStdString();
    EXPECT_TRUE(QFile::exists(home.path("home/.local/share/korvex/KORVEX-log.db")));
    EXPECT_TRUE(QFile::exists(home.path("home/.config/korvex/KORVEX-limits.ini")));
    EXPECT_EQ(copy.entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"korvex-cli"});
    EXPECT_EQ(folderState(buildCli) + folderState(buildWindow), before);

    const CliRun list = runCli(cli, {"log", "list", "--csv"});
    ASSERT_EQ(list.status, 0) << list.err.toStdString();
    EXPECT_EQ(list.out.count(QStringLiteral(",input,")), 1) << list.out.toStdString();

    // Copied into a folder of its own, it is a portable copy logging beside itself.
    QTemporaryDir plain;
    const QString plainCli = plain.filePath(QStringLiteral("korvex-cli"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KORVEX_CLI_PATH), plainCli));
    const CliRun beside = runCli(plainCli, {"run", "output", "--port", "sim", "--log"});
    ASSERT_EQ(beside.status, 0) << beside.err.toStdString();
    EXPECT_TRUE(QFile::exists(plain.filePath(QStringLiteral("KORVEX-log.db"))));
    EXPECT_EQ(folderState(buildCli) + folderState(buildWindow), before);
}

TEST(Locations, aDamagedPlantWideFileJudgesNothingHoldsTheRunsAndIsNeverCopiedOrRewritten)
{
    ScratchHome home;
    QTemporaryDir root;
    const QDir copy(root.filePath(QStringLiteral("usr/bin"))); // a package unpacked
    ASSERT_TRUE(copy.mkpath(QStringLiteral(".")));
    const QString cli = copy.filePath(QStringLiteral("korvex-cli"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KORVEX_CLI_PATH), cli));
    const QString plant = home.path("etc/xdg/korvex/KORVEX-limits.ini");
    const QString userLimits = home.path("home/.config/korvex/KORVEX-limits.ini");
    auto plantIs = [&](const QByteArray& text) {
        QFile f(plant);
        return f.open(QIODevice::ReadOnly) && f.readAll() == text;
    };

    const QByteArray badLimit = "[default]\nlamp_current_crest_factor_max = 1,2\n";
    writeFile(plant, badLimit);
    CliRun r = runCli(cli, {"run", "output", "--port", "sim", "--verdict"});
    EXPECT_EQ(r.status, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("not judged: KORVEX-limits.ini line 2"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(plant)) << r.err.toStdString();
    r = runCli(cli, {"paths"});
    EXPECT_TRUE(r.out.contains(QStringLiteral("damaged, line 2"))) << r.out.toStdString();
    EXPECT_TRUE(plantIs(badLimit));
    EXPECT_FALSE(QFile::exists(userLimits));

    // A [log] section that cannot be read names no log: nothing is run, nothing is logged
    // anywhere of the tool's own choosing.
    const QByteArray badLog = "[log]\ndatabse = postgresql://korvex@db.plant/korvex\n";
    writeFile(plant, badLog);
    r = runCli(cli, {"run", "input", "--port", "sim", "--log"});
    EXPECT_EQ(r.status, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("unknown key 'databse' in [log]"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(home.path("home/.local/share/korvex/KORVEX-log.db")));
    EXPECT_TRUE(plantIs(badLog));
    EXPECT_FALSE(QFile::exists(userLimits));
}

TEST(Locations, runsThatWaitedForTheLogServerAreForwardedByTheNextRun)
{
    PgServer pg;
    ASSERT_TRUE(pg.ok()) << pg.error().toStdString();
    ScratchHome home;
    QTemporaryDir root;
    const QDir copy(root.filePath(QStringLiteral("usr/bin"))); // a package unpacked
    ASSERT_TRUE(copy.mkpath(QStringLiteral(".")));
    const QString cli = copy.filePath(QStringLiteral("korvex-cli"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KORVEX_CLI_PATH), cli));
    writeFile(home.path("home/.config/korvex/KORVEX-limits.ini"), "[log]\ndatabase = " + pg.url().toUtf8() + "\n");

    ASSERT_TRUE(pg.stop());
    CliRun r = runCli(cli, {"run", "input", "--port", "sim", "--log"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(home.path("home/.local/share/korvex/KORVEX-queue.db"))) << r.err.toStdString();

    ASSERT_TRUE(pg.start());
    r = runCli(cli, {"run", "output", "--port", "sim", "--log"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("forwarded 1 waiting run(s) to the log server"))) << r.out.toStdString();
    const CliRun list = runCli(cli, {"log", "list", "--csv"});
    ASSERT_EQ(list.status, 0) << list.err.toStdString();
    EXPECT_EQ(list.out.count(QStringLiteral(",input,")), 1) << list.out.toStdString();
    EXPECT_EQ(list.out.count(QStringLiteral(",output,")), 1) << list.out.toStdString();
}

} // namespace
