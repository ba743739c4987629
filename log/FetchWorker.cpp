#include "log/FetchWorker.h"

#include <QMetaObject>

FetchWorker::~FetchWorker() {
    if (!m_context)
        return;
    cancel(m_lastPosted);
    m_thread.quit();
    m_thread.wait();
    delete m_context;
}

quint64 FetchWorker::post(std::function<void(RowReader &)> job) {
    if (!m_context) {
        m_thread.setObjectName(QStringLiteral("LogReader"));
        m_thread.start();
        m_context = new QObject;
        m_context->moveToThread(&m_thread);
    }
    const quint64 number = ++m_lastPosted;
    QMetaObject::invokeMethod(
        m_context,
        [this, number, job = std::move(job)] {
            if (number <= m_cancelledUpTo)
                return;
            m_reader.beginJob(number);
            job(m_reader);
            m_reader.endJob();
        },
        Qt::QueuedConnection);
    return number;
}

void FetchWorker::cancel(quint64 job) {
    quint64 seen = m_cancelledUpTo;
    while (seen < job && !m_cancelledUpTo.compare_exchange_weak(seen, job)) {
    }
    m_reader.cancel(job);
}
