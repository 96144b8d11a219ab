// The writer of the results log; lives on the log's own thread with its own connections.
// SQLite: each entry is committed to the file. PostgreSQL: each entry goes to the server, or,
// while the server cannot be reached, to a local SQLite queue from which it is forwarded in
// order when the server is back. What cannot be written anywhere stays in memory and is tried
// again.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QTimer>
#include <deque>

#include "log/LogDatabase.h"
#include "log/LogEntry.h"

namespace korvex {

class LogWriter : public QObject {
    Q_OBJECT
  public:
    explicit LogWriter(const LogTarget& target);
    ~LogWriter() override;

    int memoryCount() const { return int(memory_.size()); }

  public slots:
    void start();
    void write(const korvex::LogEntry& entry);
    /// One attempt to write everything that waits.
    void drain();
    void setRetryInterval(int ms);
    /// A last attempt, then the connections close. Returns the entries left in memory.
    int finish();

  signals:
    void logged(const QString& id);
    void queued(const QString& id);
    void waitingChanged(int count);
    void problem(const QString& text);

  private:
    bool ensureTarget();
    bool ensureQueue();
    bool ensureServer();
    void drainToFile();
    void drainToServer();
    bool forwardQueue();
    int queueCount();
    void report(const QString& text);
    void updateWaiting();

    LogTarget target_;
    LogConnection main_;  // the SQLite file, or the server
    LogConnection queue_; // the local queue of a server target
    std::deque<LogEntry> memory_;
    QTimer retry_;
    qint64 lastServerAttempt_ = -1;
    int serverRetryMs_ = 2000;
    QString lastProblem_;
    int lastWaiting_ = -1;
};

} // namespace korvex
