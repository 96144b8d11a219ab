// The results log as the window and the tools use it: entries handed in on the calling thread
// are written by a thread of their own, so a test step never waits for a disk or a server.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QThread>

#include "log/LogDatabase.h"
#include "log/LogEntry.h"

namespace korvex {

class LogWriter;

class ResultsLog : public QObject {
    Q_OBJECT
  public:
    /// Starts the writer thread and opens the target there (failures arrive as problem()).
    explicit ResultsLog(const LogTarget& target, QObject* parent = nullptr);
    /// Same as close().
    ~ResultsLog() override;

    const LogTarget& target() const { return target_; }
    /// Hands an entry to the writer; returns at once.
    void submit(const LogEntry& entry);
    /// Entries handed in and not yet committed to their final place (memory and queue).
    int waiting() const { return waiting_; }
    /// Tries once more to write what waits, sets aside what still cannot be written (in the
    /// unwritten file, written at the next start), waits for that and stops the writer.
    /// Returns the number of entries that could not be kept anywhere (0: none lost).
    int close();
    /// After close(): the entries set aside in target().unwrittenPath.
    int setAside() const { return setAside_; }
    /// Milliseconds until the first attempt to write again what waits; each failed attempt
    /// doubles the pause up to 30 times this (at most a minute). Default 2000.
    void setRetryInterval(int ms);
    /// Tries at once to write what waits (the operator freed the file, a test drives it).
    void retry();
    /// From now on entries go to target: what waits for the old one is set aside (as at close)
    /// and the new writer takes it up with the entries set aside before. Used when the settings
    /// that name the log could not be read and have been fixed.
    void retarget(const LogTarget& target);

  signals:
    /// The entry is committed to the log (for a server target: on the server).
    void logged(const QString& id);
    /// The entry is committed to the local queue and waits for the server.
    void queued(const QString& id);
    /// Entries that had been waiting in the local queue (the server was unreachable, or they
    /// were left from an earlier session) have reached the server.
    void forwarded(int count);
    void waitingChanged(int count);
    /// Something keeps entries from being written; empty text when that has cleared.
    void problem(const QString& text);

  private:
    LogWriter* makeWriter(const LogTarget& target);

    LogTarget target_;
    QThread thread_;
    LogWriter* writer_ = nullptr;
    int waiting_ = 0;
    int setAside_ = 0;
    bool closed_ = false;
};

} // namespace korvex
