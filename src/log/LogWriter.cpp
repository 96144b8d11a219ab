// The writer thread's work: commit, queue, forward, retry.
#include "log/LogWriter.h"

#include <QtCore/QDateTime>
#include <QtCore/QFile>
#include <QtSql/QSqlError>
#include <QtSql/QSqlQuery>
#include <algorithm>
#include <utility>

namespace korvex {

namespace {

// Inserts through a connection; no handle outlives the call, so the connection may be closed
// right after a failure.
bool insertInto(LogConnection& c, const LogEntry& e, QString* error)
{
    QSqlDatabase db = c.db();
    return insertLogEntry(db, e, error);
}

// Inserts all entries in one transaction, or none of them.
bool insertBatch(LogConnection& c, const std::deque<LogEntry>& entries, QString* error)
{
    QSqlDatabase db = c.db();
    if (!db.transaction()) {
        *error = sqlErrorText(db.lastError());
        return false;
    }
    for (const LogEntry& e : entries)
        if (!insertLogEntry(db, e, error, false)) {
            db.rollback();
            return false;
        }
    if (!db.commit()) {
        *error = sqlErrorText(db.lastError());
        db.rollback();
        return false;
    }
    return true;
}

bool exec(QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    *error = sqlErrorText(q.lastError());
    return false;
}

// The unwritten file: the log's tables plus the log each entry belongs to.
bool openUnwritten(LogConnection& c, const QString& path, QString* error)
{
    if (!c.openFile(path, error))
        return false;
    QSqlDatabase db = c.db();
    if (exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS unwritten (id TEXT PRIMARY KEY, target TEXT NOT NULL)"),
             error))
        return true;
    c.close();
    return false;
}

// Retries start at the set interval and double after each failure, up to 30 times the interval
// or a minute, whichever is less: a file that stays locked is not hammered, and one freed is
// found soon.
constexpr int kRetryLimitMs = 60000;

} // namespace

LogWriter::LogWriter(LogTarget target) : target_(std::move(target)), retry_(this)
{
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &LogWriter::drain);
}

LogWriter::~LogWriter() = default;

void LogWriter::start()
{
    // Entries set aside when the program last closed go first, in their order: those of this
    // log and those held while the settings naming the log could not be read.
    restoreUnwritten();
    // Open at once, so a wrong path or an unreachable server is reported before the first run.
    if (target_.isServer()) {
        ensureQueue();
        drain();
    } else if (!memory_.empty()) {
        drain();
    } else if (ensureTarget()) {
        report(QString());
    }
    updateWaiting();
}

void LogWriter::setRetryInterval(int ms)
{
    serverRetryMs_ = ms;
    retryDelayMs_ = ms;
}

void LogWriter::write(const LogEntry& entry)
{
    // Each entry once, even if handed in again.
    const bool held = std::any_of(memory_.begin(), memory_.end(), [&](const LogEntry& e) { return e.id == entry.id; });
    if (!held)
        memory_.push_back(entry);
    drain();
}

void LogWriter::drain()
{
    if (target_.isServer())
        drainToServer();
    else
        drainToFile();
    updateWaiting();
    if (memory_.empty() && (!target_.isServer() || queueCount() == 0)) {
        report(QString());
        retry_.stop();
        retryDelayMs_ = serverRetryMs_;
    } else {
        scheduleRetry();
    }
}

void LogWriter::scheduleRetry()
{
    if (retry_.isActive())
        return; // a new entry's attempt does not postpone the one due
    retry_.start(retryDelayMs_);
    const int limit = std::max(serverRetryMs_, int(std::min<qint64>(kRetryLimitMs, qint64(serverRetryMs_) * 30)));
    retryDelayMs_ = int(std::min<qint64>(limit, qint64(retryDelayMs_) * 2));
}

LogFinish LogWriter::finish()
{
    retry_.stop();
    lastServerAttempt_ = -1; // one more try at the server, whenever the last one was
    if (target_.isServer())
        drainToServer();
    else
        drainToFile();
    LogFinish f;
    f.setAside = setAsideUnwritten();
    f.lost = int(memory_.size());
    updateWaiting();
    retry_.stop();
    main_.close();
    queue_.close();
    return f;
}

void LogWriter::committed(const std::deque<LogEntry>& done, bool toQueue)
{
    QStringList restored;
    for (const LogEntry& e : done) {
        if (restored_.remove(e.id))
            restored << e.id;
        if (toQueue)
            emit queued(e.id);
        else
            emit logged(e.id);
    }
    if (restored.isEmpty())
        return;
    // Written to their log: out of the unwritten file. Should that fail, the next start reads
    // them again and the log, knowing their ids, keeps them once.
    LogConnection c;
    QString error;
    if (!openUnwritten(c, target_.unwrittenPath, &error))
        return;
    QSqlDatabase db = c.db();
    for (const QString& id : restored) {
        if (!removeLogEntry(db, id, &error))
            return;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("DELETE FROM unwritten WHERE id = ?"));
        q.addBindValue(id);
        q.exec();
    }
}

void LogWriter::restoreUnwritten()
{
    if (!QFile::exists(target_.unwrittenPath))
        return;
    LogConnection c;
    QString error;
    if (!openUnwritten(c, target_.unwrittenPath, &error)) {
        report(QStringLiteral("cannot read the entries set aside in %1").arg(error));
        return;
    }
    QSqlQuery q(c.db());
    q.prepare(QStringLiteral("SELECT %1, records.image FROM unwritten JOIN runs ON runs.id = unwritten.id"
                             " JOIN records ON records.id = runs.id WHERE unwritten.target IN (?, '')"
                             " ORDER BY unwritten.rowid")
                  .arg(logColumnList()));
    q.addBindValue(target_.key());
    if (!q.exec()) {
        report(QStringLiteral("cannot read the entries set aside in %1: %2")
                   .arg(target_.unwrittenPath, sqlErrorText(q.lastError())));
        return;
    }
    while (q.next()) {
        LogEntry e = readLogEntry(q, true);
        restored_.insert(e.id);
        memory_.push_back(std::move(e));
    }
}

int LogWriter::setAsideUnwritten()
{
    if (memory_.empty())
        return 0;
    const bool existed = QFile::exists(target_.unwrittenPath);
    int kept = 0;
    {
        LogConnection c;
        QString error;
        if (openUnwritten(c, target_.unwrittenPath, &error)) {
            QSqlDatabase db = c.db();
            bool ok = db.transaction();
            for (const LogEntry& e : memory_) {
                if (!ok)
                    break;
                ok = insertLogEntry(db, e, &error, false);
                QSqlQuery q(db);
                q.prepare(
                    QStringLiteral("INSERT INTO unwritten (id, target) VALUES (?, ?) ON CONFLICT (id) DO NOTHING"));
                q.addBindValue(e.id);
                q.addBindValue(target_.key());
                ok = ok && q.exec();
            }
            if (ok && db.commit()) {
                kept = int(memory_.size());
                memory_.clear();
            } else {
                db.rollback();
            }
        }
    }
    // A file created here for nothing (the disk is full) is not left behind.
    if (kept == 0 && !existed)
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(target_.unwrittenPath + QLatin1String(suffix));
    return kept;
}

bool LogWriter::ensureTarget()
{
    if (main_.isOpen())
        return true;
    QString error;
    if (main_.open(target_, false, &error))
        return true;
    report(QStringLiteral("cannot open the results log %1").arg(error));
    return false;
}

bool LogWriter::ensureQueue()
{
    if (queue_.isOpen())
        return true;
    QString error;
    if (queue_.open(target_, true, &error))
        return true;
    report(QStringLiteral("cannot open the local queue %1").arg(error));
    return false;
}

bool LogWriter::ensureServer()
{
    if (main_.isOpen())
        return true;
    // A server that is down refuses quickly, one that is unreachable takes the connect time
    // limit: either way, ask again only after the retry interval.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (lastServerAttempt_ >= 0 && now - lastServerAttempt_ < serverRetryMs_)
        return false;
    lastServerAttempt_ = now;
    QString error;
    if (main_.open(target_, false, &error))
        return true;
    report(QStringLiteral("the log server cannot be reached (%1)").arg(error));
    return false;
}

void LogWriter::drainToFile()
{
    if (memory_.empty() || !ensureTarget())
        return;
    // All that waits in one transaction: a burst costs one commit. Reported once committed.
    QString error;
    if (!insertBatch(main_, memory_, &error)) {
        report(QStringLiteral("cannot write the results log %1: %2").arg(target_.path, error));
        main_.close(); // reopened on the next attempt (the file may have been replaced)
        return;
    }
    std::deque<LogEntry> done;
    done.swap(memory_);
    committed(done, false);
}

void LogWriter::drainToServer()
{
    // Every entry first goes to the local queue (a local commit), then from the queue to the
    // server in the order of logging. An entry that reached the server but whose removal from
    // the queue failed is sent again and ignored there by its id.
    if (!memory_.empty() && ensureQueue()) {
        QString error;
        if (insertBatch(queue_, memory_, &error)) {
            std::deque<LogEntry> done;
            done.swap(memory_);
            committed(done, true);
        } else {
            report(QStringLiteral("cannot write the local queue %1: %2").arg(target_.queuePath, error));
            queue_.close();
        }
    }
    if (queue_.isOpen() && queueCount() > 0)
        forwardQueue();
    // Without a usable queue, entries go straight to the server when it answers.
    while (!memory_.empty() && !queue_.isOpen() && ensureServer()) {
        QString error;
        if (!insertInto(main_, memory_.front(), &error)) {
            report(QStringLiteral("the log server refused an entry (%1)").arg(error));
            main_.close();
            return;
        }
        std::deque<LogEntry> done(1, memory_.front());
        memory_.pop_front();
        committed(done, false);
    }
}

bool LogWriter::forwardQueue()
{
    if (!ensureServer())
        return false;
    for (;;) {
        QSqlQuery select(queue_.db());
        if (!select.exec(QStringLiteral("SELECT %1, records.image FROM runs JOIN records ON records.id = runs.id"
                                        " ORDER BY runs.logged_at, runs.rowid LIMIT 100")
                             .arg(logColumnList()))) {
            report(QStringLiteral("cannot read the local queue %1: %2")
                       .arg(target_.queuePath, sqlErrorText(select.lastError())));
            return false;
        }
        std::vector<LogEntry> batch;
        while (select.next())
            batch.push_back(readLogEntry(select, true));
        select.finish();
        if (batch.empty())
            return true;
        for (const LogEntry& e : batch) {
            QString error;
            if (!insertInto(main_, e, &error)) {
                main_.close();
                report(QStringLiteral("the log server cannot be reached (%1)").arg(error));
                return false;
            }
            QSqlDatabase q = queue_.db();
            if (!removeLogEntry(q, e.id, &error)) {
                report(QStringLiteral("cannot empty the local queue %1: %2").arg(target_.queuePath, error));
                return false;
            }
            emit logged(e.id);
        }
    }
}

int LogWriter::queueCount()
{
    if (!queue_.isOpen())
        return 0;
    QSqlQuery q(queue_.db());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM runs")) || !q.next())
        return 0;
    return q.value(0).toInt();
}

void LogWriter::report(const QString& text)
{
    if (text == lastProblem_)
        return;
    lastProblem_ = text;
    emit problem(text);
}

void LogWriter::updateWaiting()
{
    const int n = int(memory_.size()) + (target_.isServer() ? queueCount() : 0);
    if (n != lastWaiting_) {
        lastWaiting_ = n;
        emit waitingChanged(n);
    }
}

} // namespace korvex
