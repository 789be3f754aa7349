#include "commsrunner.h"

#include <QThread>

#include "workerthread.h"
#include "zyracommsthread.h"

CommsRunner::CommsRunner(QObject *parent) : QObject(parent), thread_(new QThread), comms_(new ZyraCommsThread)
{
    workerthread::wireComms(thread_, comms_);
    connect(comms_, &ZyraCommsThread::threadSignal, this, &CommsRunner::onReport, Qt::QueuedConnection);
}

CommsRunner::~CommsRunner()
{
    comms_->requestCancel();
    thread_->quit();
    thread_->wait();
    delete comms_;
    delete thread_;
}

void CommsRunner::run(int action, Report report)
{
    // A task started while the last one's thread is still ending would be
    // ignored.
    thread_->wait();
    report_ = std::move(report);
    comms_->startTask(action);
}

void CommsRunner::onReport(int action, int status)
{
    // The report arrives before its thread has ended; whatever comes next
    // starts once it has.
    thread_->wait();
    const Report report = report_;
    report(action, status);
}
