#pragma once

#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>

// What a reading job hands back across threads: filled on the reader's
// thread, taken in on the window thread once done. The rows or counts a
// particular reader returns sit in a struct derived from this.
struct ReaderReply {
    std::mutex mutex;
    std::condition_variable doneCondition;
    bool done = false;
    bool cancelled = false;
    QString error;

    // Runs the read on the reader's thread, turns a cancel or a failure into
    // the reply's fields, then marks the reply done and wakes any waiter.
    void run(const std::function<void()> &read);
    bool waitFor(qint64 ms);
    bool isDone();
};
