// The results log's front: the writer thread and the hand-over of entries.
#include "log/ResultsLog.h"

#include "log/LogWriter.h"

namespace korvex {

ResultsLog::ResultsLog(const LogTarget& target, QObject* parent) : QObject(parent), target_(target)
{
    thread_.setObjectName(QStringLiteral("korvex-log"));
    writer_ = makeWriter(target);
    connect(&thread_, &QThread::started, writer_, &LogWriter::start);
    thread_.start();
}

LogWriter* ResultsLog::makeWriter(const LogTarget& target)
{
    auto* w = new LogWriter(target);
    w->moveToThread(&thread_);
    connect(w, &LogWriter::logged, this, &ResultsLog::logged);
    connect(w, &LogWriter::queued, this, &ResultsLog::queued);
    connect(w, &LogWriter::forwarded, this, &ResultsLog::forwarded);
    connect(w, &LogWriter::problem, this, &ResultsLog::problem);
    connect(w, &LogWriter::waitingChanged, this, [this](int n) {
        waiting_ = n;
        emit waitingChanged(n);
    });
    return w;
}

void ResultsLog::retarget(const LogTarget& target)
{
    if (closed_)
        return;
    target_ = target;
    LogWriter* old = writer_;
    LogWriter* fresh = makeWriter(target);
    writer_ = fresh;
    // On the writer's thread, after every entry handed to the old writer and before any handed
    // to the new one: the old one sets aside what it holds, the new one starts by taking it up.
    QMetaObject::invokeMethod(
        fresh,
        [this, old, fresh, unwritten = target.unwrittenPath] {
            const LogFinish f = old->finish();
            delete old;
            fresh->start();
            if (f.lost > 0) {
                const QString text =
                    QStringLiteral("%1 run(s) could not be set aside in %2 for the results log and are lost")
                        .arg(f.lost)
                        .arg(unwritten);
                QMetaObject::invokeMethod(this, [this, text] { emit problem(text); });
            }
        },
        Qt::QueuedConnection);
}

ResultsLog::~ResultsLog()
{
    close();
}

void ResultsLog::submit(const LogEntry& entry)
{
    if (closed_)
        return;
    LogWriter* w = writer_;
    QMetaObject::invokeMethod(
        w, [w, entry] { w->write(entry); }, Qt::QueuedConnection);
}

void ResultsLog::setRetryInterval(int ms)
{
    LogWriter* w = writer_;
    QMetaObject::invokeMethod(
        w, [w, ms] { w->setRetryInterval(ms); }, Qt::QueuedConnection);
}

void ResultsLog::retry()
{
    if (closed_)
        return;
    LogWriter* w = writer_;
    QMetaObject::invokeMethod(w, &LogWriter::drain, Qt::QueuedConnection);
}

int ResultsLog::close()
{
    if (closed_)
        return 0;
    closed_ = true;
    LogFinish f;
    LogWriter* w = writer_;
    // Everything handed in before is ahead of this call in the writer's queue.
    QMetaObject::invokeMethod(
        w, [w, &f] { f = w->finish(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete writer_;
    writer_ = nullptr;
    setAside_ = f.setAside;
    return f.lost;
}

} // namespace korvex
