#include "storage/tstartlocks.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tmessageboxclass.h"

bool TStartLocks::TakeInstanceLock(const QString& programFile) {
    switch (m_instance.Acquire(InstanceLockPath(programFile))) {
    case TFileLock::Result::Locked:
        return true;
    case TFileLock::Result::Busy:
        return false;
    case TFileLock::Result::CannotOpen:
        break;
    }
    // The program folder is not writable (a system-wide install): lock in the runtime folder.
    return m_instance.Acquire(FallbackInstanceLockPath(programFile)) != TFileLock::Result::Busy;
}

bool TStartLocks::TakeAccessLock(const QString& programDataFolder) {
    if (!MakePrivateFolder(programDataFolder))
        return false;
    if (m_access.Acquire(JoinPath(programDataFolder, QStringLiteral("accessible.lock"))) ==
        TFileLock::Result::Locked)
        return true;
    Messages().ShowError({QStringLiteral("Отказано в доступе."),
                          QStringLiteral("Возможно базы программы уже используются одной из версий Vellumora, или"),
                          QStringLiteral("проверьте настройки безопасности для папки \"") + programDataFolder +
                              QStringLiteral("\" у текущего пользователя Windows.")});
    return false;
}

void TStartLocks::Release() {
    m_instance.Release();
    m_access.Release();
}
