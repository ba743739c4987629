#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// The mark of a running copy: a lock named "PROGRAM_NAME" in the temporary
// directory. The lock holds the owner's process id, so a copy that crashed
// leaves no lock behind that counts.
class SingleInstance {
public:
    SingleInstance();
    // False when another copy holds the lock. If the lock cannot be made at
    // all, the program runs as if it were alone.
    bool acquire();
    static QString lockPath();

private:
    std::unique_ptr<QLockFile> m_lock;
};
