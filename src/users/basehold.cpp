#include "users/basehold.h"

#include "ledger/basechanges.h"
#include "ledger/tmytype.h"
#include "storage/tbaselock.h"
#include "storage/tmessageboxclass.h"
#include "users/basefolders.h"

TBaseOpening AskToOpenBase(const TMyType& state, const QString& baseName, const QString& folder) {
    if (state.baseLock.Held() && SameFolder(state.baseLock.Folder(), folder)) return TBaseOpening::Writable;
    TBaseLockLook look;
    if (!BaseHeldElsewhere(folder, &look)) return TBaseOpening::Writable;
    return Messages().AskChoice({BaseHeldText(baseName, look, true)},
                                QStringLiteral("Открыть только для чтения"), QStringLiteral("Отмена"),
                                TMsgButton::Yes)
               ? TBaseOpening::ReadOnly
               : TBaseOpening::Cancelled;
}

void HoldOpenBase(TMyType& state) {
    ClearReadOnly(state);
    TBaseLockLook found;
    switch (state.baseLock.Take(state.baseFolder, state.userName, &found)) {
    case TBaseLock::TTake::Taken:
        return;
    case TBaseLock::TTake::TakenOver:
        Messages().ShowInfo({QStringLiteral("Программа, открывшая базу \"") + state.baseName +
                             QStringLiteral("\" (") + found.owner.user + QStringLiteral(", компьютер ") +
                             found.owner.host +
                             QStringLiteral("), завершилась без закрытия базы. База открыта.")});
        return;
    case TBaseLock::TTake::Held:
        SetHeldElsewhere(state, found);
        return;
    case TBaseLock::TTake::NotKept:
        // Nothing can be written there either: every save that fails is told as it fails.
        qWarning("Vellumora: no lock can be kept in %s; the base opens without one",
                 qPrintable(state.baseFolder));
        return;
    }
}

void LeaveOpenBase(TMyType& state) {
    state.baseLock.Release();
}

bool RefuseHeldBase(const QString& baseName, const QString& folder) {
    TBaseLockLook look;
    if (folder.isEmpty() || !BaseHeldElsewhere(folder, &look)) return false;
    Messages().ShowInfo({BaseHeldText(baseName, look, false),
                         QStringLiteral("Изменить её можно будет, когда та программа закроет базу.")});
    return true;
}
