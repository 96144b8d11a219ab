// A results log file that cannot be written (damaged, locked, a full disk, a folder that cannot
// exist, changed under the writer): the operator is told, every entry waits in order and is
// written once the trouble is gone, and what is still waiting when the program closes is set
// aside for the next start.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <fcntl.h>
#include <unistd.h>

#include "../record/TempDir.h"
#include "LogTestSupport.h"
#include "log/LogDatabase.h"
#include "log/LogQuery.h"
#include "log/ResultsLog.h"
#include "log/RetrySchedule.h"

using namespace korvex;

namespace {

constexpr int kHour = 3600 * 1000;

// What a log reports, as the window sees it.
struct Watch {
    explicit Watch(ResultsLog& log)
    {
        QObject::connect(&log, &ResultsLog::problem, [this](const QString& text) { problem = text; });
        QObject::connect(&log, &ResultsLog::logged, [this](const QString& id) { logged << id; });
    }
    QString problem;
    QStringList logged;
};

std::vector<LogEntry> threeEntries()
{
    return {knownEntry(KindInput, "SN-0001", 1000, 36.0f, true), knownEntry(KindInput, "SN-0002", 2000, 37.0f, false),
            knownEntry(KindOutput, "SN-0003", 3000, 38.0f, std::nullopt)};
}

QStringList idsOf(const std::vector<LogEntry>& entries)
{
    QStringList ids;
    for (const LogEntry& e : entries)
        ids << e.id;
    return ids;
}

// The ids in the log file, oldest first.
QStringList idsIn(const LogTarget& target)
{
    LogQuery q;
    QString error;
    std::vector<LogEntry> out;
    EXPECT_TRUE(q.open(target, &error)) << error.toStdString();
    EXPECT_TRUE(q.list(LogFilter{}, 0, out, &error)) << error.toStdString();
    std::reverse(out.begin(), out.end());
    return idsOf(out);
}

TEST(LogTrouble, aDamagedFileKeepsTheEntriesWaitingUntilItIsReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.db"));
    QFile damaged(path);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(8192, 'x'));
    damaged.close();

    const LogTarget target = LogTarget::parse(path, dir.path());
    ResultsLog log(target);
    log.setRetryInterval(kHour); // only new entries and the test's retry() try again
    Watch w(log);
    const std::vector<LogEntry> entries = threeEntries();
    for (const LogEntry& e : entries)
        log.submit(e);
    log.submit(entries[0]); // handed in twice, kept once
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.waiting() == 3 && !w.problem.isEmpty(); }, 10000)) << log.waiting();
    EXPECT_TRUE(w.problem.contains(path)) << w.problem.toStdString();
    EXPECT_TRUE(w.problem.contains(QStringLiteral("damaged"))) << w.problem.toStdString();
    EXPECT_TRUE(w.logged.isEmpty());

    // The operator moves the damaged file away: the waiting entries are written, in order.
    ASSERT_TRUE(QFile::rename(path, path + QStringLiteral(".damaged")));
    log.retry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.logged.size() == 3 && w.problem.isEmpty(); }, 10000));
    EXPECT_EQ(w.logged, idsOf(entries));
    EXPECT_EQ(log.close(), 0);
    EXPECT_EQ(idsIn(target), idsOf(entries));
}

TEST(LogTrouble, aLockedFileKeepsTheEntryWaitingUntilTheLockGoes)
{
    QTemporaryDir dir;
    const LogTarget target = LogTarget::parse(dir.filePath(QStringLiteral("log.db")), dir.path());
    LogConnection other; // another program holding a write lock on the file
    QString error;
    ASSERT_TRUE(other.open(target, false, &error)) << error.toStdString();
    QSqlQuery lock(other.db());
    ASSERT_TRUE(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));

    ResultsLog log(target);
    log.setRetryInterval(kHour);
    Watch w(log);
    const LogEntry e = makeLogEntry(sampleRecord(), KindInput, LogSource{});
    log.submit(e);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.waiting() == 1 && !w.problem.isEmpty(); }, 15000));
    EXPECT_TRUE(w.problem.contains(QStringLiteral("locked"))) << w.problem.toStdString();
    EXPECT_TRUE(w.logged.isEmpty());

    ASSERT_TRUE(lock.exec(QStringLiteral("ROLLBACK")));
    log.retry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.logged.isEmpty(); }, 15000));
    EXPECT_EQ(log.close(), 0);
    EXPECT_EQ(idsIn(target), QStringList{e.id});
}

TEST(LogTrouble, aFullDiskKeepsTheEntriesUntilThereIsSpaceAgain)
{
    QTemporaryDir dir;
    const LogTarget target = LogTarget::parse(dir.filePath(QStringLiteral("log.db")), dir.path());
    ResultsLog log(target);
    log.setRetryInterval(kHour);
    Watch w(log);
    const std::vector<LogEntry> entries = threeEntries();
    log.submit(entries[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.logged.size() == 1; }, 10000));

    {
        // The disk is full: no file grows by a byte (in place, pages may still be rewritten).
        FileSizeLimit limit{0};
        log.submit(entries[1]);
        log.submit(entries[2]);
        ASSERT_TRUE(QTest::qWaitFor([&] { return log.waiting() == 2 && !w.problem.isEmpty(); }, 10000))
            << log.waiting() << " " << w.problem.toStdString();
        EXPECT_TRUE(w.problem.contains(QStringLiteral("disk"))) << w.problem.toStdString();
        EXPECT_TRUE(w.problem.contains(target.path)) << w.problem.toStdString();
        EXPECT_EQ(w.logged.size(), 1);
        // Closing now would set them aside; the disk is full there too: nothing to see yet.
    }

    // Space again: the next attempt writes both, after the first, once each.
    log.retry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.logged.size() == 3 && w.problem.isEmpty(); }, 10000));
    EXPECT_EQ(log.waiting(), 0);
    EXPECT_EQ(log.close(), 0);
    EXPECT_EQ(idsIn(target), idsOf(entries));
}

TEST(LogTrouble, entriesStillUnwrittenAtCloseAreWrittenAtTheNextStart)
{
    QTemporaryDir dir;
    // The log's folder is a file: the log cannot be created until somebody repairs that.
    const QString folder = dir.filePath(QStringLiteral("logs"));
    TempDir::write(folder.toStdString(), "not a folder");
    const LogTarget target = LogTarget::parse(folder + QStringLiteral("/log.db"), dir.path());
    const std::vector<LogEntry> entries = threeEntries();
    {
        ResultsLog log(target);
        log.setRetryInterval(kHour);
        Watch w(log);
        for (const LogEntry& e : entries)
            log.submit(e);
        ASSERT_TRUE(QTest::qWaitFor([&] { return log.waiting() == 3 && !w.problem.isEmpty(); }, 10000));
        EXPECT_TRUE(w.problem.contains(QStringLiteral("cannot be written"))) << w.problem.toStdString();
        EXPECT_EQ(log.close(), 0);
        EXPECT_EQ(log.setAside(), 3);
        EXPECT_TRUE(QFileInfo::exists(target.unwrittenPath));
    }
    {
        // Another log started from the same configuration leaves them alone.
        const LogTarget elsewhere = LogTarget::parse(dir.filePath(QStringLiteral("other.db")), dir.path());
        ResultsLog other(elsewhere);
        EXPECT_EQ(other.close(), 0);
        EXPECT_TRUE(idsIn(elsewhere).isEmpty());
    }

    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("logs")));
    {
        ResultsLog log(target);
        Watch w(log);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.logged.size() == 3; }, 10000));
        EXPECT_EQ(w.logged, idsOf(entries));
        EXPECT_EQ(log.close(), 0);
        EXPECT_EQ(log.setAside(), 0);
    }
    {
        // Written once: a further start finds nothing set aside.
        ResultsLog log(target);
        Watch w(log);
        EXPECT_EQ(log.close(), 0);
        QCoreApplication::processEvents();
        EXPECT_TRUE(w.logged.isEmpty());
    }
    EXPECT_EQ(idsIn(target), idsOf(entries));
}

TEST(LogTrouble, aLogChangedUnderTheWriterIsWrittenAgainAndNothingIsLost)
{
    QTemporaryDir dir;
    const LogTarget target = LogTarget::parse(dir.filePath(QStringLiteral("log.db")), dir.path());
    ResultsLog log(target);
    Watch w(log);
    const std::vector<LogEntry> entries = threeEntries();
    log.submit(entries[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.logged.size() == 1; }, 10000));

    // Something else in this process opens and closes the log's files: POSIX drops every lock
    // the process holds on them, the writer's included. Another program reading the log then
    // takes itself for the last reader and removes the write-ahead log the writer still uses.
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const int fd = ::open(QFile::encodeName(target.path + QLatin1String(suffix)).constData(), O_RDONLY);
        ASSERT_GE(fd, 0) << suffix;
        ::close(fd);
    }
    ASSERT_EQ(runsSeenByAnotherProcess(target.path), 1);
    ASSERT_FALSE(QFileInfo::exists(target.path + QStringLiteral("-wal")));

    log.submit(entries[1]);
    log.submit(entries[2]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.logged.size() == 3; }, 10000)) << w.problem.toStdString();
    EXPECT_EQ(runsSeenByAnotherProcess(target.path), 3);
    EXPECT_EQ(log.close(), 0);
    EXPECT_EQ(idsIn(target), idsOf(entries));
}

TEST(LogTrouble, aDatabaseOfAnotherProgramIsRefusedAndLeftAsItWas)
{
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other.db"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(other);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE customers (id INTEGER PRIMARY KEY, name TEXT)")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO customers (name) VALUES ('Li')")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    const std::string before = TempDir::read(other.toStdString());
    ASSERT_GT(before.size(), 0u);

    {
        ResultsLog log(LogTarget::parse(other, dir.path()));
        Watch w(log);
        log.submit(threeEntries()[0]);
        ASSERT_TRUE(QTest::qWaitFor([&] { return log.waiting() == 1 && !w.problem.isEmpty(); }, 10000));
        EXPECT_TRUE(w.problem.contains(other + QStringLiteral(": not a results log"))) << w.problem.toStdString();
        EXPECT_EQ(log.close(), 0);
        EXPECT_EQ(log.setAside(), 1); // kept for the log the operator puts there
    }
    LogQuery q;
    QString error;
    EXPECT_FALSE(q.open(LogTarget::parse(other, dir.path()), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("customers"))) << error.toStdString();
    EXPECT_TRUE(TempDir::read(other.toStdString()) == before); // not a byte changed
    EXPECT_FALSE(QFileInfo::exists(other + QStringLiteral("-wal")));

    // An empty file is no other program's database: it becomes the log.
    const QString empty = dir.filePath(QStringLiteral("empty.db"));
    TempDir::write(empty.toStdString(), "");
    ResultsLog log(LogTarget::parse(empty, dir.path()));
    Watch w(log);
    log.submit(threeEntries()[1]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.logged.size() == 1; }, 10000)) << w.problem.toStdString();
    EXPECT_EQ(log.close(), 0);
}

TEST(LogTrouble, theRetryPauseDoublesUpToThirtyTimesTheFirstOrAMinute)
{
    const auto pauses = [](int first, int count) {
        RetrySchedule schedule(first);
        std::vector<int> out;
        for (int i = 0; i < count; ++i)
            out.push_back(schedule.take());
        return out;
    };
    EXPECT_EQ(pauses(2000, 8), (std::vector<int>{2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
    EXPECT_EQ(pauses(5000, 6), (std::vector<int>{5000, 10000, 20000, 40000, 60000, 60000})); // a minute first
    EXPECT_EQ(pauses(100, 7), (std::vector<int>{100, 200, 400, 800, 1600, 3000, 3000}));     // 30 times first

    RetrySchedule afterSuccess(2000);
    afterSuccess.take();
    afterSuccess.take();
    afterSuccess.reset();
    EXPECT_EQ(afterSuccess.take(), 2000);
}

} // namespace
