#pragma once

#include "log/RowReader.h"

#include <QThread>
#include <atomic>
#include <functional>

// A thread of its own that runs reading jobs one after the other on its own
// RowReader, so that no query, however long, holds up the window thread.
// The thread starts with the first job and ends with the worker.
class FetchWorker {
public:
    FetchWorker() = default;
    ~FetchWorker();
    FetchWorker(const FetchWorker &) = delete;
    FetchWorker &operator=(const FetchWorker &) = delete;

    // Queues a job and returns its number. A job cancelled before it starts
    // never runs; the job reports its own outcome.
    quint64 post(std::function<void(RowReader &)> job);
    // Cancels every job up to this number: the one running stops at its next
    // step (its reader throws ReaderCancelled), the queued ones are skipped.
    void cancel(quint64 job);

private:
    QThread m_thread;
    QObject *m_context = nullptr; // lives in m_thread
    RowReader m_reader;
    quint64 m_lastPosted = 0;
    std::atomic<quint64> m_cancelledUpTo = 0;
};
