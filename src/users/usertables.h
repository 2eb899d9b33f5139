#pragma once

#include "storage/tabledefs.h"
#include "storage/tbasefiles.h"
#include "storage/textrules.h"

#include <QString>
#include <QStringList>

class TMemTable;

class TMyType;

// The two tables shared by every base, both in data root/BASE: the users ("user") and the list of
// bases ("baseuser"), with the lookups the users rules make in them.
namespace usertexts {
inline const QString kNewUserPrompt = QStringLiteral("Введите имя нового пользователя");
inline const QString kNewUserName = QStringLiteral("Новый пользователь");
inline const QString kFirstBase = QStringLiteral("Base1");
inline const QString kEmptyPasswordCode = QStringLiteral("0");
inline const QString kAdminCode = QStringLiteral("1");
} // namespace usertexts

// "1" is how the program writes a first administrator; both read as an administrator.
bool IsAdminRole(const QString& role);
// The logged-in user's own administrator rights, for the commands that are an administrator's alone.
// Without them: a beep and "У Вас отсутствуют права администратора!"; false.
bool RequireAdmin(const TMyType& state);

QString UserTablePath(const TMyType& state);
QString BaseListPath(const TMyType& state);

// Reads the user table file as it is: rows get their four cells and the roles are read as at a base
// load. False when the file cannot be reached or its content is damaged; a caller that passes damaged
// is given the users before the damage instead (damaged then set), and keeps the file aside itself. A
// link, a folder or a file that may not be read in its place is added to unreachable.
bool ReadUserFile(const TMyType& state, TMemTable& users, bool* damaged = nullptr,
                  TUnreachableFiles* unreachable = nullptr);
// Every row with its four cells and its role read as a base load reads it.
void NormaliseUserRows(TMemTable& users);
// Makes rows read from the file the users grid's table, with its new-record row at the end, and
// tells the view. The table counts as unchanged since it was read.
void SetUsersOfGrid(TMyType& state, const TMemTable& rows);
// Writes the users that have a name, a base and a role. False when the file could not be written.
bool SaveUserTable(TMyType& state);
// The error for a users or bases file the program cannot read or write.
void ShowNoAccess(const QString& path);

int FindUserExact(const TMemTable& users, const QString& name);
// The first other row holding the name in any letter case; -1 when none.
int FindUserNoCase(const TMemTable& users, const QString& name, int exceptRow = -1);
int AdminCount(const TMemTable& users);
// Tells the users grid that its rows (row map reset) or only its cells changed.
void RedrawUsers(TMyType& state, bool rowsChanged);

// The user cell of every ledger row holding the old name gets the new one; true when a cell changed.
bool RenameUserCells(TTableKind kind, TMemTable& table, const QString& oldName, const QString& newName);
// The same in the ledger files of a base folder (a base that is not open, or one restored on disk).
void RenameUserInBaseFiles(const QString& baseFolder, const QString& oldName, const QString& newName);

// Reads the base list into the state. A damaged file is kept aside and the list left empty. False
// when the file could not be read.
bool ReadBaseListFile(TMyType& state);
// The reading of the log-in dialog: an empty list becomes "Base1", which is saved, and told unless the
// program starts for the first time.
void ReadBaseListWithDefault(TMyType& state, bool firstStart);
bool SaveBaseList(TMyType& state);
bool HasBase(const TMyType& state, const QString& name);
void AddBase(TMyType& state, const QString& name);
QStringList BaseNames(const TMyType& state);

// The main window's caption, composed here alone: the marks of the window's state first, where a
// narrow task bar still shows them ("Не сохранено — Vellumora      Пользователь: Мама"), then the
// program's title and the logged-in user (none before a log-in).
QString MainWindowCaption(const QString& programTitle, const QString& userName,
                          const QStringList& marks = {});
