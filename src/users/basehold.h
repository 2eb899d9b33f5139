#pragma once

#include <QString>

class TMyType;

// How a base opens when other programs may have its folder open too: another account of this computer,
// or another computer, whose data root is the same shared folder.
enum class TBaseOpening { Writable, ReadOnly, Cancelled };

// Asked before a base becomes the open one, while nothing has changed yet. When another running program
// has it open: «База "<имя>" уже открыта в другой программе: <пользователь>, компьютер <имя>, с <время>.»
// with «Открыть только для чтения» (the default) and «Отмена».
TBaseOpening AskToOpenBase(const TMyType& state, const QString& baseName, const QString& folder);

// The base named in the state has just become the open one: the lock of the base open until now is
// given up and this base's taken for the user. A lock left by a program that is gone is taken over,
// which is told. When another program has the base open, it is read-only until it is opened again
// (even once that program has closed it).
void HoldOpenBase(TMyType& state);

// The program leaves the open base (its window has closed): the lock goes. A program that had the base
// read-only gives up nothing and leaves the other program's lock alone.
void LeaveOpenBase(TMyType& state);

// Before writing into a base that is not the open one (records moved into or out of it, an archive
// restored over it, its folder renamed, deleted or moved): when another running program has it open,
// that is told and true returned, and nothing may be written.
bool RefuseHeldBase(const QString& baseName, const QString& folder);
