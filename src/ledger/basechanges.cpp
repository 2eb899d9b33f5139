#include "ledger/basechanges.h"

#include "ledger/tmytype.h"
#include "storage/fileerror.h"
#include "storage/tbaselock.h"
#include "storage/tmessageboxclass.h"

bool MayChangeBase(const TMyType& state) {
    return !state.readOnly;
}

bool RefuseChange(const TMyType& state) {
    if (MayChangeBase(state)) return false;
    Messages().Beep();
    return true;
}

void SetReadOnly(TMyType& state, const QString& reason) {
    state.readOnly = true;
    state.readOnlyReason = reason;
    state.readOnlyByOpen = false;
}

void SetReadOnlyByOpen(TMyType& state, const QString& reason) {
    if (state.readOnly && !state.readOnlyByOpen) return;
    SetReadOnly(state, reason);
    state.readOnlyByOpen = true;
}

void ClearReadOnly(TMyType& state) {
    state.readOnly = false;
    state.readOnlyReason.clear();
    state.readOnlyByOpen = false;
}

QStringList BaseStateMarks(const TMyType& state) {
    QStringList marks;
    if (state.readOnly) marks << ReadOnlyMark();
    if (state.saveFailed) marks << UnsavedMark();
    return marks;
}

QString ReadOnlyStatus(const TMyType& state) {
    return state.readOnly ? ReadOnlyMark() + QStringLiteral(": ") + state.readOnlyReason : QString();
}

QString BaseHeldText(const QString& baseName, const TBaseLockLook& look, bool already) {
    QString text = QStringLiteral("База \"") + baseName + QStringLiteral("\" ") +
                   (already ? QStringLiteral("уже ") : QString()) +
                   QStringLiteral("открыта в другой программе");
    if (look.named) text += QStringLiteral(": ") + LockOwnerText(look.owner);
    return text + QLatin1Char('.');
}

void SetHeldElsewhere(TMyType& state, const TBaseLockLook& look) {
    QString reason = QStringLiteral("база открыта в другой программе");
    if (look.named) reason += QStringLiteral(" (") + LockOwnerText(look.owner) + QLatin1Char(')');
    SetReadOnly(state, reason);
}

bool KeepBaseLock(TMyType& state, bool refresh) {
    TBaseLockLook taker;
    if (state.baseLock.Keep(refresh, &taker)) return true;
    SetHeldElsewhere(state, taker);
    Messages().ShowInfo({BaseHeldText(state.baseName, taker, false),
                         QStringLiteral("Изменения больше не сохраняются: база открыта только для чтения.")});
    if (state.baseLock.onLost) state.baseLock.onLost();
    return false;
}
