#include "users/usertables.h"
#include "storage/tabledefs.h"

#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "storage/datafolders.h"
#include "storage/tbasefiles.h"
#include "storage/tmessageboxclass.h"

#include <QFileInfo>

bool RequireAdmin(const TMyType& state) {
    if (state.admin) return true;
    Messages().Beep();
    Messages().ShowInfo({QStringLiteral("У Вас отсутствуют права администратора!")});
    return false;
}

bool IsAdminRole(const QString& role) {
    return role == usertexts::kAdminCode || role == cells::kAdmin;
}

QString UserTablePath(const TMyType& state) {
    return JoinPath(state.BaseRoot(), TableDef(TTableKind::User).fileName);
}

QString BaseListPath(const TMyType& state) {
    return JoinPath(state.BaseRoot(), QStringLiteral("baseuser"));
}

bool ReadUserFile(const TMyType& state, TMemTable& users, bool* damaged, TUnreachableFiles* unreachable) {
    users.Clear();
    if (damaged) *damaged = false;
    QString path;
    const TTableFileState made =
        ResolveTableFile(state.BaseRoot(), TableDef(TTableKind::User).fileName, path);
    if (made == TTableFileState::NoFolder) return false;
    QByteArray bytes;
    const TTableFileState found = ReadTableFile(path, bytes);
    if (found != TTableFileState::File) {
        // Missing here means it could not be made either.
        if (unreachable && found != TTableFileState::Missing) unreachable->push_back({path, found});
        return false;
    }
    if (!users.LoadFromBytes(bytes)) {
        // Only a caller that keeps the damaged file aside takes the users read before the damage;
        // to the others the table cannot be read, so nothing overwrites what is left of it.
        if (!damaged || KeepWholeRows(users) == 0) {
            users.Clear();
            return false;
        }
        *damaged = true;
    }
    NormaliseUserRows(users);
    return true;
}

void NormaliseUserRows(TMemTable& users) {
    const int cellCount = TableDef(TTableKind::User).CellCount();
    for (int i = 0; i < users.RowCount(); ++i) {
        TTableRow* row = users.Row(i);
        QStringList cells = row->Cells();
        while (cells.size() < cellCount)
            cells.append(QString());
        cells[col::user::Role] = IsAdminRole(cells[col::user::Role]) ? cells::kAdmin : cells::kOrdinary;
        row->SetCells(cells);
    }
}

void SetUsersOfGrid(TMyType& state, const TMemTable& rows) {
    state.users.CopyFrom(rows);
    TBaseLoader::AppendNewRecordRow(state, state.Grid(TTableKind::User));
    state.users.MarkUnmodified();
    RedrawUsers(state, true);
}

void RedrawUsers(TMyType& state, bool rowsChanged) {
    TDataGrid& grid = state.Grid(TTableKind::User);
    if (rowsChanged) {
        grid.ResetRowMap();
        grid.NotifyRows();
    } else {
        grid.NotifyCells();
    }
}

bool SaveUserTable(TMyType& state) {
    const QString path = ResolveTablePath(state.BaseRoot(), TableDef(TTableKind::User).fileName);
    if (!SaveTableFiltered(TTableKind::User, state.users, path)) return false;
    state.users.MarkUnmodified();
    return true;
}

void ShowNoAccess(const QString& path) {
    Messages().ShowError({QStringLiteral("Нет доступа к базам программы."),
                          QStringLiteral("Проверьте настройки безопасности для файла ") + path});
}

int FindUserExact(const TMemTable& users, const QString& name) {
    for (int i = 0; i < users.RowCount(); ++i)
        if (users.Row(i)->Cell(col::user::Name) == name) return i;
    return -1;
}

int FindUserNoCase(const TMemTable& users, const QString& name, int exceptRow) {
    for (int i = 0; i < users.RowCount(); ++i)
        if (i != exceptRow && SameNameIgnoringCase(users.Row(i)->Cell(col::user::Name), name)) return i;
    return -1;
}

int AdminCount(const TMemTable& users) {
    int n = 0;
    for (int i = 0; i < users.RowCount(); ++i)
        if (!IsBlank(users.Row(i)->Cell(col::user::Name)) && IsAdminRole(users.Row(i)->Cell(col::user::Role)))
            ++n;
    return n;
}

bool RenameUserCells(TTableKind kind, TMemTable& table, const QString& oldName, const QString& newName) {
    const int column = TableDef(kind).userColumn;
    bool changed = false;
    for (int i = 0; i < table.RowCount(); ++i) {
        TTableRow* row = table.Row(i);
        if (row->CellCount() > column && row->Cell(column) == oldName) {
            row->SetCell(column, newName);
            changed = true;
        }
    }
    return changed;
}

void RenameUserInBaseFiles(const QString& baseFolder, const QString& oldName, const QString& newName) {
    if (baseFolder.isEmpty() || !QFileInfo(baseFolder).isDir()) return;
    for (TTableKind kind : LedgerKinds()) {
        const QString path = JoinPath(baseFolder, TableDef(kind).fileName);
        TMemTable table;
        if (QFileInfo(path).isFile() && table.LoadFromFile(path) &&
            RenameUserCells(kind, table, oldName, newName))
            table.SaveToFile(path);
    }
}

bool ReadBaseListFile(TMyType& state) {
    const QString path = ResolveTablePath(state.BaseRoot(), QStringLiteral("baseuser"));
    state.baseList.Clear();
    if (path.isEmpty() || QFileInfo(path).isDir()) return false;
    if (state.baseList.LoadFromFile(path)) return true;
    // The list is about to be written again: what could not be read stays beside it.
    KeepDamagedCopy(path);
    state.baseList.Clear();
    return false;
}

void ReadBaseListWithDefault(TMyType& state, bool firstStart) {
    ReadBaseListFile(state);
    if (state.baseList.RowCount() > 0) return;
    state.baseList.AddRow()->SetCells({usertexts::kFirstBase});
    SaveBaseList(state);
    if (!firstStart)
        Messages().ShowInfo({QStringLiteral("Наименование баз установлено по-умолчанию \"Base1\"")});
}

bool SaveBaseList(TMyType& state) {
    const QString path = ResolveTablePath(state.BaseRoot(), QStringLiteral("baseuser"));
    if (path.isEmpty() || QFileInfo(path).isDir() || !state.baseList.SaveToFile(path)) return false;
    state.baseList.MarkUnmodified();
    return true;
}

bool HasBase(const TMyType& state, const QString& name) {
    for (int i = 0; i < state.baseList.RowCount(); ++i)
        if (SameNameIgnoringCase(state.baseList.Row(i)->Cell(col::baselist::Name), name)) return true;
    return false;
}

void AddBase(TMyType& state, const QString& name) {
    state.baseList.AddRow()->SetCells({name});
}

QStringList BaseNames(const TMyType& state) {
    QStringList names;
    for (int i = 0; i < state.baseList.RowCount(); ++i)
        names.append(state.baseList.Row(i)->Cell(col::baselist::Name));
    return names;
}

QString MainWindowCaption(const QString& programTitle, const QString& userName, const QStringList& marks) {
    QString caption = programTitle;
    if (!userName.isEmpty()) caption += QStringLiteral("      Пользователь: ") + userName;
    // The title's own leading space follows the dash.
    if (!marks.isEmpty())
        caption.prepend(marks.join(QStringLiteral(", ")) +
                        (caption.startsWith(u' ') ? QStringLiteral(" —") : QStringLiteral(" — ")));
    return caption;
}
