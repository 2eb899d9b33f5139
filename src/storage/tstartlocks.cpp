#include "storage/tstartlocks.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tmessageboxclass.h"

#include <cstring>

bool TStartLocks::TakeInstanceLock(const QString& programFile) {
    // A runtime folder this account cannot write (XDG_RUNTIME_DIR kept across su, say): the temp folder.
    for (const QString& path : {InstanceLockPath(programFile), TempInstanceLockPath(programFile)}) {
        switch (m_instance.Acquire(path)) {
        case TFileLock::Result::Locked:
            return true;
        case TFileLock::Result::Busy:
            return false;
        case TFileLock::Result::CannotOpen:
            break;
        }
    }
    // Without it a second copy of this program may start; the access lock still keeps it off the books.
    qWarning("Vellumora: the instance lock %s cannot be created (%s); starting without it",
             qPrintable(m_instance.Path()), std::strerror(m_instance.Error()));
    return true;
}

bool TStartLocks::TakeAccessLock(const QString& programDataFolder) {
    if (!MakePrivateFolder(programDataFolder)) return false;
    if (m_access.Acquire(JoinPath(programDataFolder, QStringLiteral("accessible.lock"))) ==
        TFileLock::Result::Locked)
        return true;
    Messages().ShowError(
        {QStringLiteral("Отказано в доступе."),
         QStringLiteral("Возможно базы программы уже используются одной из версий Vellumora, или"),
         QStringLiteral("проверьте настройки безопасности для папки \"") + programDataFolder +
             QStringLiteral("\" у текущего пользователя.")});
    return false;
}

void TStartLocks::Release() {
    m_instance.Release();
    m_access.Release();
}
