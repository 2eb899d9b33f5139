#pragma once

#include <QString>
#include <QStringList>

class TMyType;
struct TBaseLockLook;

// Whether the open base may be changed now. Every change of it asks first: a base open read-only, for
// whatever cause, is shown but never written, neither by a command nor by a save.
bool MayChangeBase(const TMyType& state);
// The refusal a change of a read-only base meets: a beep. True when the change must not be made.
bool RefuseChange(const TMyType& state);
// The open base is read-only from now until a base is opened again, for the reason given (the window
// shows it): another program has it, so reading it again changes nothing.
void SetReadOnly(TMyType& state, const QString& reason);
// Read-only because of what the open found (a file it could not read, a save it could not finish): the
// next reading of the base looks at it anew. A base already read-only for a lasting cause keeps that
// cause and its reason.
void SetReadOnlyByOpen(TMyType& state, const QString& reason);
// A base being opened starts writable; whatever makes it read-only is looked at anew.
void ClearReadOnly(TMyType& state);

// The marks of the open base's state that the main window's caption shows before its title, in this
// order: «Только чтение» while the base is read-only, «Не сохранено» while the last save failed.
inline QString ReadOnlyMark() {
    return QStringLiteral("Только чтение");
}
QStringList BaseStateMarks(const TMyType& state);
// The status bar's line for a base open read-only, saying why ("Только чтение: <причина>"); empty when
// the base may be written.
QString ReadOnlyStatus(const TMyType& state);

// "База \"<имя>\" [уже ]открыта в другой программе: <пользователь>, компьютер <имя>, с <время>." — or
// without the holder when its lock names nobody.
QString BaseHeldText(const QString& baseName, const TBaseLockLook& look, bool already);
// The open base is read-only because another program has it open.
void SetHeldElsewhere(TMyType& state, const TBaseLockLook& look);

// The open base's lock checked and, with refresh, written again. When another program has taken the
// base over meanwhile, the base becomes read-only, that is told, and the lock's onLost is called;
// false then. True while the lock is this program's or none is kept.
bool KeepBaseLock(TMyType& state, bool refresh);
