// The writer thread's work: commit, queue, forward, retry.
#include "log/LogWriter.h"

#include <QtCore/QDateTime>
#include <QtCore/QFile>
#include <QtSql/QSqlError>
#include <QtSql/QSqlQuery>
#include <algorithm>
#include <utility>
#ifndef _WIN32
#include <sys/stat.h>
#endif

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

// The entries as a connection of their own reads them, as another program would: the ids that
// are not there, or why they could not be looked for.
QString unreadEntries(const QString& path, const std::deque<LogEntry>& entries)
{
    LogConnection fresh;
    QString error;
    if (!fresh.openReadOnly(path, &error))
        return error;
    QSqlQuery q(fresh.db());
    if (!q.prepare(QStringLiteral("SELECT 1 FROM runs WHERE id = ?")))
        return sqlErrorText(q.lastError());
    QStringList missing;
    for (const LogEntry& e : entries) {
        q.addBindValue(e.id);
        if (!q.exec())
            return sqlErrorText(q.lastError());
        if (!q.next())
            missing << e.id;
        q.finish();
    }
    return missing.isEmpty() ? QString() : QStringLiteral("a new connection does not find %1").arg(missing.join(", "));
}

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
    retryPauses_.setFirst(ms);
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
        retryPauses_.reset();
    } else {
        scheduleRetry();
    }
}

void LogWriter::scheduleRetry()
{
    if (retry_.isActive())
        return; // a new entry's attempt does not postpone the one due
    retry_.start(retryPauses_.take());
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

LogWriter::FileIds LogWriter::FileIds::of(const QString& path)
{
    FileIds ids;
#ifndef _WIN32
    const auto inode = [](const QString& p, quint64* device) -> quint64 {
        struct stat st {};
        if (::stat(QFile::encodeName(p).constData(), &st) != 0)
            return 0;
        if (device)
            *device = quint64(st.st_dev);
        return quint64(st.st_ino);
    };
    ids.db = inode(path, &ids.device);
    ids.wal = inode(path + QStringLiteral("-wal"), nullptr);
    ids.shm = inode(path + QStringLiteral("-shm"), nullptr);
#else
    Q_UNUSED(path); // no POSIX locks to lose
#endif
    return ids;
}

QString LogWriter::FileIds::changedSince(const FileIds& seen, const QString& path) const
{
    // Seen from SQLite's side alone a commit succeeded; but when another part of this process
    // has opened and closed one of the log's files, POSIX has dropped the writer's locks on it,
    // and another program closing the log may then have taken itself for the last reader and
    // removed the write-ahead log: the writer goes on writing into a file no one else reads.
    if (device != seen.device || db != seen.db)
        return QStringLiteral("the file was replaced or removed");
    if (seen.wal != 0 && wal != seen.wal)
        return QStringLiteral("its write-ahead log %1-wal was removed or replaced").arg(path);
    if (seen.shm != 0 && shm != seen.shm)
        return QStringLiteral("its shared-memory index %1-shm was removed or replaced").arg(path);
    return {};
}

bool LogWriter::commitToFile(LogConnection& c, bool queue, FileIds& ids, QString* error)
{
    // All that waits in one transaction: a burst costs one commit. A file found changed under
    // the writer is opened again and the batch written again (an entry already there is kept
    // once, by its id); a second change in a row is reported and the entries wait.
    const QString& path = queue ? target_.queuePath : target_.path;
    for (int attempt = 1;; ++attempt) {
        if (!insertBatch(c, memory_, error))
            return false;
        const FileIds now = FileIds::of(path);
        QString why = now.changedSince(ids, path);
        if (why.isEmpty()) {
            ids = now; // a write-ahead log created since the open is the writer's own
            why = unreadEntries(path, memory_);
            if (why.isEmpty())
                return true;
        }
        c.close();
        *error = QStringLiteral("the file was changed while the program had it open (%1)").arg(why);
        QString reopenError;
        if (attempt == 2 || !c.open(target_, queue, &reopenError)) {
            if (!reopenError.isEmpty())
                *error += QStringLiteral("; opening it again failed: ") + reopenError;
            return false;
        }
        ids = FileIds::of(path);
    }
}

bool LogWriter::ensureTarget()
{
    if (main_.isOpen())
        return true;
    QString error;
    if (main_.open(target_, false, &error)) {
        mainIds_ = FileIds::of(target_.path);
        return true;
    }
    report(QStringLiteral("cannot open the results log %1").arg(error));
    return false;
}

bool LogWriter::ensureQueue()
{
    if (queue_.isOpen())
        return true;
    QString error;
    if (queue_.open(target_, true, &error)) {
        queueIds_ = FileIds::of(target_.queuePath);
        return true;
    }
    report(QStringLiteral("cannot open the local queue %1").arg(error));
    return false;
}

bool LogWriter::ensureServer(QString* why)
{
    if (main_.isOpen())
        return true;
    // A server that is down refuses quickly, one that is unreachable takes the connect time
    // limit: either way, ask again only after the retry interval.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (lastServerAttempt_ >= 0 && now - lastServerAttempt_ < retryPauses_.first())
        return false;
    lastServerAttempt_ = now;
    QString error;
    if (main_.open(target_, false, &error))
        return true;
    report(QStringLiteral("the log server cannot be reached (%1)").arg(error));
    if (why)
        *why = error;
    return false;
}

void LogWriter::drainToFile()
{
    if (memory_.empty() || !ensureTarget())
        return;
    QString error;
    if (!commitToFile(main_, false, mainIds_, &error)) {
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
    const int waited = queueCount(); // entries that were waiting for the server already
    if (!memory_.empty() && ensureQueue()) {
        QString error;
        if (commitToFile(queue_, true, queueIds_, &error)) {
            std::deque<LogEntry> done;
            done.swap(memory_);
            committed(done, true);
        } else {
            report(QStringLiteral("cannot write the local queue %1: %2").arg(target_.queuePath, error));
            queue_.close();
        }
    }
    int reached = 0;
    if (queue_.isOpen() && queueCount() > 0)
        forwardQueue(&reached);
    if (waited > 0 && reached > 0)
        emit forwarded(std::min(waited, reached));
    // Without a usable queue, entries go straight to the server when it answers.
    while (!memory_.empty() && !queue_.isOpen()) {
        const bool mayBeStale = main_.isOpen();
        if (!ensureServer())
            return;
        QString error;
        const Sent sent = sendToServer(memory_.front(), mayBeStale, &error);
        if (sent == Sent::Refused)
            report(QStringLiteral("the log server refused an entry (%1)").arg(error));
        if (sent != Sent::Yes)
            return;
        std::deque<LogEntry> done(1, memory_.front());
        memory_.pop_front();
        committed(done, false);
    }
}

LogWriter::Sent LogWriter::sendToServer(const LogEntry& e, bool mayBeStale, QString* error)
{
    if (insertInto(main_, e, error))
        return Sent::Yes;
    main_.close();
    if (!mayBeStale)
        return Sent::Refused;
    // A connection that served before may have outlived its server (restarted since, or the
    // network link was dropped): one new connection at once, before the server counts as
    // unreachable and the entries wait for the next attempt.
    lastServerAttempt_ = -1;
    if (!ensureServer(error))
        return Sent::Unreachable;
    if (insertInto(main_, e, error))
        return Sent::Yes;
    main_.close();
    return Sent::Refused;
}

bool LogWriter::forwardQueue(int* count)
{
    bool mayBeStale = main_.isOpen();
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
            if (sendToServer(e, mayBeStale, &error) != Sent::Yes) {
                report(QStringLiteral("the log server cannot be reached (%1)").arg(error));
                return false;
            }
            mayBeStale = false;
            QSqlDatabase q = queue_.db();
            if (!removeLogEntry(q, e.id, &error)) {
                report(QStringLiteral("cannot empty the local queue %1: %2").arg(target_.queuePath, error));
                return false;
            }
            ++*count;
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
