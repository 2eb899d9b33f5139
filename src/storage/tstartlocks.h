#pragma once

#include "storage/tinstancelock.h"

#include <QString>

// The two locks a running program holds: one per account and program file, so the same program never
// runs twice for one person, and one in the program data folder, so no other copy uses the same books
// meanwhile.
class TStartLocks {
public:
    // False when another process of this program file runs for the same account: the caller ends at
    // once, silently. A lock file that cannot be created anywhere does not stop the program.
    bool TakeInstanceLock(const QString& programFile);
    // False when the program data folder cannot be made or its lock is held elsewhere; the refusal
    // has been reported (except when the folder itself cannot be created).
    bool TakeAccessLock(const QString& programDataFolder);
    void Release();

    const TFileLock& InstanceLock() const { return m_instance; }
    const TFileLock& AccessLock() const { return m_access; }

private:
    TFileLock m_instance;
    TFileLock m_access;
};
