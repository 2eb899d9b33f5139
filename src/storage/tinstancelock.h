#pragma once

#include <QString>

// An exclusive advisory lock on a file, held for the life of the object. The file is opened (created
// when missing) and never deleted, so a file left by an earlier run does not block a start.
class TFileLock {
public:
    enum class Result { Locked, Busy, CannotOpen };

    TFileLock() = default;
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    Result Acquire(const QString& path);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }
    const QString& Path() const { return m_path; }

private:
    int m_fd = -1;
    QString m_path;
};

// Where the instance lock of the program file lives: beside it, or, when the program folder is not
// writable (a system-wide install), in the runtime folder under a name made from the program's path.
QString InstanceLockPath(const QString& programFile);
QString FallbackInstanceLockPath(const QString& programFile);
