// korvex-cli plan with a log and an archive on the simulated instrument, both read from outside
// the program: the ballast entries with their steps' runs, the retest of a serial, and the
// archive's data files, PDFs and day's CSV; an archive folder that cannot be made.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <vector>

#include "record/DataFile.h"
#include "record/TextCodec.h"

namespace {

struct Cli {
    int status = -1;
    QString out, err;
};

Cli plan(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(KORVEX_CLI_PATH), QStringList{"plan", "--port", "sim"} + args);
    p.closeWriteChannel(); // the lamp prompts read nothing from the terminal
    Cli c;
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
        c.status = p.exitCode();
    c.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    c.err = QString::fromLocal8Bit(p.readAllStandardError());
    return c;
}

int pdfPages(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return -1;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

struct BallastRow {
    QString id;
    bool retest = false;
    QString verdict;
    bool complete = false;
};

class PlanCli : public ::testing::Test {
  protected:
    void SetUp() override
    {
        QFile f(dir.filePath(QStringLiteral("limits.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[default]\nplan = input*2, output, start, energy\n");
    }
    QStringList args(const char* serial) const
    {
        return {"--serial", serial, "--log", dir.filePath("log.db"), "--limits", dir.filePath("limits.ini")};
    }

    QTemporaryDir dir;
};

TEST_F(PlanCli, eachBallastLoggedWithItsRunsArchivedAndTheSecondOfASerialIsARetest)
{
    const QString archive = dir.filePath(QStringLiteral("archive"));
    const Cli pass = plan(args("SN-1") + QStringList{"--archive", archive});
    ASSERT_EQ(pass.status, 0) << pass.out.toStdString() << pass.err.toStdString();
    const Cli fail = plan(args("SN-1") + QStringList{"--archive", archive, "--scenario", "cheap"});
    ASSERT_EQ(fail.status, 3) << fail.out.toStdString() << fail.err.toStdString();
    EXPECT_TRUE(fail.out.contains(QStringLiteral("failed: Harmonic 3"))) << fail.out.toStdString();

    // The log as any SQLite reader sees it.
    std::vector<BallastRow> ballasts;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("outside"));
        db.setDatabaseName(dir.filePath(QStringLiteral("log.db")));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("SELECT id, retest, verdict, complete FROM runs WHERE kind = 0 ORDER BY logged_at"));
        while (q.next())
            ballasts.push_back(
                {q.value(0).toString(), q.value(1).toInt() != 0, q.value(2).toString(), q.value(3).toInt() != 0});
        ASSERT_EQ(ballasts.size(), 2u);
        EXPECT_FALSE(ballasts[0].retest);
        EXPECT_EQ(ballasts[0].verdict, "pass");
        EXPECT_TRUE(ballasts[1].retest);
        EXPECT_EQ(ballasts[1].verdict, "fail");
        for (const BallastRow& b : ballasts) {
            EXPECT_TRUE(b.complete);
            QSqlQuery steps(db);
            steps.prepare("SELECT kind, series_runs FROM runs WHERE ballast = ? AND kind <> 0 ORDER BY logged_at");
            steps.addBindValue(b.id);
            ASSERT_TRUE(steps.exec());
            std::vector<std::pair<int, int>> runs;
            while (steps.next())
                runs.emplace_back(steps.value(0).toInt(), steps.value(1).toInt());
            // input*2 as one entry of its series, then output, start and preheat energy
            EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{1, 2}, {3, 1}, {5, 1}, {6, 1}}))
                << b.verdict.toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("outside"));

    // The ballasts as the command line lists them, newest first, and one reopened whole.
    QProcess list;
    list.start(QStringLiteral(KORVEX_CLI_PATH),
               {"log", "list", "--kind", "ballast", "--csv", "--db", dir.filePath(QStringLiteral("log.db"))});
    ASSERT_TRUE(list.waitForFinished(30000));
    const QList<QByteArray> rows = list.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(rows.size(), 3) << rows.join('\n').toStdString(); // the title and the two ballasts
    EXPECT_TRUE(rows[1].contains(",ballast,") && rows[1].contains(",fail,1,")) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].contains(",ballast,") && rows[2].contains(",pass,0,")) << rows[2].toStdString();
    QProcess show;
    const QString reopened = dir.filePath(QStringLiteral("reopened.kvx"));
    show.start(QStringLiteral(KORVEX_CLI_PATH),
               {"log", "show", ballasts[1].id, "--save", reopened, "--db", dir.filePath(QStringLiteral("log.db"))});
    ASSERT_TRUE(show.waitForFinished(30000));
    EXPECT_EQ(show.exitCode(), 0) << show.readAllStandardError().toStdString();
    korvex::TestRecord whole;
    EXPECT_TRUE(korvex::readDataFile(reopened.toStdString(), whole).ok);
    EXPECT_TRUE(whole.hasInputResult && whole.hasOutputResult && whole.hasStartResult && whole.hasEnergyResult);

    // The archive: one day's folder with both ballasts, and the day's CSV beside it.
    const QStringList days = QDir(archive).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(days.size(), 1);
    const QDir day(archive + QLatin1Char('/') + days[0]);
    for (const char* name : {"SN-1_pass", "SN-1_fail"}) {
        korvex::TestRecord r;
        const korvex::Notice loaded =
            korvex::readDataFile(day.filePath(QString::fromLatin1(name) + ".kvx").toStdString(), r);
        EXPECT_TRUE(loaded.ok) << name;
        EXPECT_EQ(korvex::fieldUtf8(r.infoNo), "SN-1");
        EXPECT_TRUE(r.hasInputResult && r.hasOutputResult && r.hasStartResult && r.hasEnergyResult) << name;
        EXPECT_EQ(pdfPages(day.filePath(QString::fromLatin1(name) + ".pdf")), 4 + 1) << name; // 4 pages, the sheet
        EXPECT_TRUE(pass.out.contains(day.filePath(QStringLiteral("SN-1_pass.pdf"))));
    }
    QFile csv(archive + QLatin1Char('/') + days[0] + QStringLiteral(".csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4); // title, two ballasts, nothing after the last line end
    EXPECT_TRUE(lines[0].startsWith("Urms(V),"));
    EXPECT_TRUE(lines[1].endsWith('\r') && lines[2].endsWith('\r') && lines[3].isEmpty());
    EXPECT_EQ(lines[1].count(','), lines[0].count(','));
}

TEST_F(PlanCli, anArchiveFolderThatCannotBeMadeIsAWarningAndTheVerdictStands)
{
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString archive = blocker.fileName() + QStringLiteral("/archive");
    const Cli c = plan(args("SN-2") + QStringList{"--archive", archive});
    EXPECT_EQ(c.status, 0) << c.err.toStdString();
    EXPECT_TRUE(c.err.contains(QStringLiteral("warning")) && c.err.contains(archive)) << c.err.toStdString();
    EXPECT_TRUE(c.out.contains(QStringLiteral("logged ballast"))) << c.out.toStdString();
}

} // namespace
