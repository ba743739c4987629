#include "log/ReaderReply.h"

#include "common/AppError.h"
#include "log/RowReader.h"

#include <algorithm>
#include <chrono>

void ReaderReply::run(const std::function<void()> &read) {
    try {
        read();
    } catch (const ReaderCancelled &) {
        cancelled = true;
    } catch (const AppError &e) {
        error = e.text();
    } catch (const std::exception &e) {
        error = QString::fromLocal8Bit(e.what());
    }
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    doneCondition.notify_all();
}

bool ReaderReply::waitFor(qint64 ms) {
    std::unique_lock lock(mutex);
    return doneCondition.wait_for(lock, std::chrono::milliseconds(std::max<qint64>(ms, 0)),
                                  [this] { return done; });
}

bool ReaderReply::isDone() {
    std::lock_guard lock(mutex);
    return done;
}
