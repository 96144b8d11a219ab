// The reader of a running sequence. Instead of polling without pause it wakes on the port's
// "data arrived" notification and on a single-shot timer for the reply time limit; its check
// itself runs on the controller's thread and posts message 1025.
// It is no thread: it keeps the instrument's historical name for the reader of a run, which
// the manuals and the bench engineers use, while the waiting is done by the event loop.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace korvex {

class LinkPort;

class InputThread : public QObject {
    Q_OBJECT
  public:
    /// check runs on every wake-up while the reader is running.
    InputThread(LinkPort& port, std::function<void()> check, QObject* parent = nullptr);
    ~InputThread() override;

    /// Wake up once msecs from now (a reply time limit); replaces an earlier deadline.
    void armDeadline(int msecs);
    void disarmDeadline();
    bool deadlineArmed() const { return deadline_.isActive(); }
    /// Cooperative stop: no more checks after this.
    void stop();
    bool running() const { return running_; }

  private:
    void wake();

    std::function<void()> check_;
    QTimer deadline_;
    QMetaObject::Connection dataConnection_;
    bool running_ = true;
};

} // namespace korvex
