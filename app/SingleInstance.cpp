#include "app/SingleInstance.h"

#include <QDir>

SingleInstance::SingleInstance() = default;

QString SingleInstance::lockPath() {
    return QDir::tempPath() + QStringLiteral("/PROGRAM_NAME");
}

bool SingleInstance::acquire() {
    m_lock = std::make_unique<QLockFile>(lockPath());
    // Only a dead owner makes the lock stale, never its age: a plant PC runs
    // the program for months.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() == QLockFile::LockFailedError)
        return false;
    m_lock.reset(); // cannot make the lock: go on as the only copy
    return true;
}
