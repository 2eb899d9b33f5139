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
    // The errno of the last Acquire that could not open or lock the file.
    int Error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
    QString m_path;
};

// The instance lock belongs to the account that runs the program, never to the installation: it lives in
// the account's runtime folder ($XDG_RUNTIME_DIR, else the temp folder), named after the account and a
// hash of the program file's path, so another account starting the same installation is never refused.
QString InstanceLockName(const QString& programFile);
QString InstanceLockPath(const QString& programFile);
// The same name in the temp folder: where the lock goes when the runtime folder cannot take it.
QString TempInstanceLockPath(const QString& programFile);
