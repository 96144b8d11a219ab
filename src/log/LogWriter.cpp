// The writer thread's work: commit, queue, forward, retry.
#include "log/LogWriter.h"

#include <QtCore/QDateTime>
#include <QtSql/QSqlError>
#include <QtSql/QSqlQuery>

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

} // namespace

LogWriter::LogWriter(const LogTarget& target) : target_(target), retry_(this)
{
    retry_.setSingleShot(true);
    retry_.setInterval(serverRetryMs_);
    connect(&retry_, &QTimer::timeout, this, &LogWriter::drain);
}

LogWriter::~LogWriter() = default;

void LogWriter::start()
{
    // Open at once, so a wrong path or an unreachable server is reported before the first run.
    if (target_.isServer()) {
        ensureQueue();
        drain();
    } else if (ensureTarget()) {
        report(QString());
    }
    updateWaiting();
}

void LogWriter::setRetryInterval(int ms)
{
    serverRetryMs_ = ms;
    retry_.setInterval(ms);
}

void LogWriter::write(const LogEntry& entry)
{
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
    if (memory_.empty() && (!target_.isServer() || queueCount() == 0))
        report(QString());
    else if (!retry_.isActive())
        retry_.start();
}

int LogWriter::finish()
{
    retry_.stop();
    lastServerAttempt_ = -1; // one more try at the server, whenever the last one was
    if (target_.isServer())
        drainToServer();
    else
        drainToFile();
    updateWaiting();
    retry_.stop();
    main_.close();
    queue_.close();
    return int(memory_.size());
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
    for (const LogEntry& e : done)
        emit logged(e.id);
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
            for (const LogEntry& e : done)
                emit queued(e.id);
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
        const QString id = memory_.front().id;
        memory_.pop_front();
        emit logged(id);
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
