#pragma once

#include <QString>

// The file the export tool keeps locked while it works, in its own folder.
QString ToolLockName();
// Opens a lock file for flock, creating it when missing. A lock file installed read-only for this
// user is opened for reading: flock needs no write access. -1 when it cannot be opened at all.
int OpenLockFile(const QString& path);

// Whether a lock file is free: it is opened (created when missing) and locked exclusively without
// waiting, then released at once. False when another process holds it or it cannot be opened.
bool LockFileFree(const QString& path);

// Ends every process of the current user whose executable has the given full path or file name,
// compared without regard to letter case (`/proc/<pid>/exe`, and `/proc/<pid>/comm`, which the
// kernel cuts at 15 characters): SIGTERM first, SIGKILL for those still running a moment later.
// Returns how many processes were found.
int TerminateProcesses(const QString& fullPath, const QString& name);
