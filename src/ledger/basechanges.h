#pragma once

#include <QString>

class TMyType;
struct TBaseLockLook;

// Whether the open base may be changed now. Every change of it asks first: a base open read-only, for
// whatever cause, is shown but never written, neither by a command nor by a save.
bool MayChangeBase(const TMyType& state);
// The refusal a change of a read-only base meets: a beep. True when the change must not be made.
bool RefuseChange(const TMyType& state);
// The open base is read-only from now until a base is opened again, for the reason given (the window
// shows it). Any cause sets it here: another program having the base open, or anything else that
// makes writing it unsafe.
void SetReadOnly(TMyType& state, const QString& reason);
// A base being opened starts writable; whatever makes it read-only is looked at anew.
void ClearReadOnly(TMyType& state);

// "База \"<имя>\" [уже ]открыта в другой программе: <пользователь>, компьютер <имя>, с <время>." — or
// without the holder when its lock names nobody.
QString BaseHeldText(const QString& baseName, const TBaseLockLook& look, bool already);
// The open base is read-only because another program has it open.
void SetHeldElsewhere(TMyType& state, const TBaseLockLook& look);

// The open base's lock checked and, with refresh, written again. When another program has taken the
// base over meanwhile, the base becomes read-only, that is told, and the lock's onLost is called;
// false then. True while the lock is this program's or none is kept.
bool KeepBaseLock(TMyType& state, bool refresh);
