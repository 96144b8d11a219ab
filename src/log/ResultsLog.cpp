// The results log's front: the writer thread and the hand-over of entries.
#include "log/ResultsLog.h"

#include "log/LogWriter.h"

namespace korvex {

ResultsLog::ResultsLog(const LogTarget& target, QObject* parent) : QObject(parent), target_(target)
{
    thread_.setObjectName(QStringLiteral("korvex-log"));
    writer_ = new LogWriter(target);
    writer_->moveToThread(&thread_);
    connect(&thread_, &QThread::started, writer_, &LogWriter::start);
    connect(writer_, &LogWriter::logged, this, &ResultsLog::logged);
    connect(writer_, &LogWriter::queued, this, &ResultsLog::queued);
    connect(writer_, &LogWriter::forwarded, this, &ResultsLog::forwarded);
    connect(writer_, &LogWriter::problem, this, &ResultsLog::problem);
    connect(writer_, &LogWriter::waitingChanged, this, [this](int n) {
        waiting_ = n;
        emit waitingChanged(n);
    });
    thread_.start();
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
