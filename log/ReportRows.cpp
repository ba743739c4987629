#include "log/ReportRows.h"

#include "log/FetchWorker.h"

#include <QCoreApplication>
#include <QMetaObject>

ReportRows::ReportRows(const RowSource &source, bool open, QObject *parent)
    : QObject(parent), m_source(source), m_open(open && !source.columns.isEmpty()),
      m_worker(std::make_unique<FetchWorker>()) {}

ReportRows::~ReportRows() {
    m_worker.reset();
}

ReportRows::ReplyPtr ReportRows::post(std::function<void(RowReader &, Reply &)> job) {
    auto reply = std::make_shared<Reply>();
    if (!m_open) {
        reply->done = true; // nothing to read
        return reply;
    }
    const RowSource source = m_source;
    m_lastJob = m_worker->post([this, source, reply, job = std::move(job)](RowReader &reader) {
        reply->run([&] {
            reader.setSource(source);
            job(reader, *reply);
        });
        QMetaObject::invokeMethod(this, &ReportRows::replied, Qt::QueuedConnection);
    });
    return reply;
}

ReportRows::ReplyPtr ReportRows::count() {
    return post([](RowReader &reader, Reply &reply) { reply.count = reader.count(); });
}

ReportRows::ReplyPtr ReportRows::at(qint64 offset, int n) {
    return post(
        [offset, n](RowReader &reader, Reply &reply) { reply.rows = reader.at(offset, n); });
}

ReportRows::ReplyPtr ReportRows::after(const ResultRow &row, int n) {
    return post([row, n](RowReader &reader, Reply &reply) { reply.rows = reader.after(row, n); });
}

ReportRows::ReplyPtr ReportRows::before(const ResultRow &row, int n) {
    return post([row, n](RowReader &reader, Reply &reply) { reply.rows = reader.before(row, n); });
}

void ReportRows::cancelAll() {
    if (m_lastJob)
        m_worker->cancel(m_lastJob);
}

bool ReportRows::await(const ReplyPtr &reply, const std::function<bool()> &stop) {
    // Short waits with the events in between: the station's timers keep
    // their pace while a long count or a far page is read.
    while (!reply->waitFor(10)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (stop && stop())
            return false;
    }
    return true;
}
