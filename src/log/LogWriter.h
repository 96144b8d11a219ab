// The writer of the results log; lives on the log's own thread with its own connections.
// SQLite: each entry is committed to the file. PostgreSQL: each entry goes to the server, or,
// while the server cannot be reached, to a local SQLite queue from which it is forwarded in
// order when the server is back. What cannot be written stays in memory (in order, each entry
// once) and is tried again with each new entry and on a timer that backs off; what is still
// unwritten when the program closes is set aside in the unwritten file beside the configuration
// and written to its log at the next start. An entry counts as written to an SQLite file only
// once a connection of its own reads it there and the file is still the one the writer opened.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QSet>
#include <QtCore/QTimer>
#include <deque>

#include "log/LogDatabase.h"
#include "log/LogEntry.h"
#include "log/RetrySchedule.h"

namespace korvex {

/// What became of the entries still unwritten when the writer stopped.
struct LogFinish {
    int setAside = 0; ///< kept in the unwritten file, written at the next start
    int lost = 0;     ///< could not be kept anywhere
};

class LogWriter : public QObject {
    Q_OBJECT
  public:
    explicit LogWriter(LogTarget target);
    ~LogWriter() override;

    int memoryCount() const { return int(memory_.size()); }

  public slots:
    void start();
    void write(const korvex::LogEntry& entry);
    /// One attempt to write everything that waits.
    void drain();
    void setRetryInterval(int ms);
    /// A last attempt, then what is left is set aside and the connections close.
    LogFinish finish();

  signals:
    void logged(const QString& id);
    void queued(const QString& id);
    void forwarded(int count);
    void waitingChanged(int count);
    void problem(const QString& text);

  private:
    /// Which files an SQLite file's connection works on, as its folder names them now: the
    /// identity (device and inode) of the database, its write-ahead log and its shared-memory
    /// index; 0 for one that is not there.
    struct FileIds {
        quint64 device = 0, db = 0, wal = 0, shm = 0;
        static FileIds of(const QString& path);
        /// Why a file whose connection was opened on `seen` is not to be trusted now, or nothing.
        QString changedSince(const FileIds& seen, const QString& path) const;
    };
    bool commitToFile(LogConnection& c, bool queue, FileIds& ids, QString* error);
    bool ensureTarget();
    bool ensureQueue();
    bool ensureServer(QString* error = nullptr);
    void drainToFile();
    void drainToServer();
    /// Sends what waits in the queue to the server, in order; count grows by each entry sent.
    bool forwardQueue(int* count);
    enum class Sent { Yes, Refused, Unreachable };
    Sent sendToServer(const LogEntry& e, bool mayBeStale, QString* error);
    int queueCount();
    void committed(const std::deque<LogEntry>& done, bool toQueue);
    void restoreUnwritten();
    int setAsideUnwritten();
    void scheduleRetry();
    void report(const QString& text);
    void updateWaiting();

    LogTarget target_;
    LogConnection main_;  // the SQLite file, or the server
    LogConnection queue_; // the local queue of a server target
    FileIds mainIds_;     // the SQLite log's files as main_ opened them
    FileIds queueIds_;    // the queue's files as queue_ opened them
    std::deque<LogEntry> memory_;
    QTimer retry_;
    qint64 lastServerAttempt_ = -1;
    RetrySchedule retryPauses_; // its first pause also spaces the attempts to reach the server
    QSet<QString> restored_;    // ids read back from the unwritten file, removed there once written
    QString lastProblem_;
    int lastWaiting_ = -1;
};

} // namespace korvex
