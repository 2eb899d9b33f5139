#include "ledger/tkindslists.h"
#include "storage/tabledefs.h"

#include "ledger/basechanges.h"
#include "ledger/gridids.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "ledger/ttablesortert.h"
#include "storage/tbasefiles.h"
#include "storage/tmessageboxclass.h"

#include <QFileInfo>

namespace {

TKindsList ListKind(const TDataVidGrid& list) {
    return list.listNumber == 0 ? TKindsList::Rashod : TKindsList::Dohod;
}

// Sets one cell of every table row whose cells match, and says whether any row changed.
bool ReplaceInTable(TMemTable& table, int kindCol, const QString& kind, int nameCol, const QString& oldName,
                    const QString& newName) {
    bool changed = false;
    for (int r = 0; r < table.RowCount(); ++r) {
        TTableRow* row = table.Row(r);
        if (row->CellCount() <= nameCol || row->Cell(nameCol) != oldName) continue;
        if (kindCol >= 0 && row->Cell(kindCol) != kind) continue;
        row->SetCell(nameCol, newName);
        changed = true;
    }
    return changed;
}

} // namespace

TDataVidGrid* TKindsLists::ListForGrid(int gridId) const {
    switch (gridId) {
    case gridid::VidRashod:
    case gridid::VidPlan:
    case gridid::BaseRashod:
        return &m_state.vidRashodGrid;
    case gridid::VidDohod:
    case gridid::VidPlanDohod:
    case gridid::BaseDohod:
        return &m_state.vidDohodGrid;
    default:
        return nullptr;
    }
}

QString TKindsLists::PathOf(const TDataVidGrid& list) const {
    if (m_state.baseFolder.isEmpty()) return QString();
    return ResolveTablePath(m_state.baseFolder, list.FileName);
}

void TKindsLists::Changed(TDataVidGrid& list) {
    if (listChanged) listChanged(list);
}

void TKindsLists::LoadKinds(TDataVidGrid& list) {
    if (!list.Table) return;
    // The file itself, whatever stands there: the load tells a link or a folder in its place.
    QString path;
    if (!m_state.baseFolder.isEmpty()) ResolveTableFile(m_state.baseFolder, list.FileName, path);
    LoadKindsFile(ListKind(list), path, m_state.paths.programFolder, *list.Table);
    Changed(list);
}

bool TKindsLists::SaveList(TDataVidGrid& list) {
    if (!list.Table) return false;
    if (!MayChangeBase(m_state)) return true; // a read-only base keeps its files as they are
    const QString path = PathOf(list);
    if (path.isEmpty() || QFileInfo(path).isDir()) return false;
    if (!list.Table->Modified() && QFileInfo(path).size() > 0) return true;
    if (!list.Table->SaveToFile(path)) return false;
    list.Table->MarkUnmodified();
    return true;
}

bool TKindsLists::SaveKinds() {
    const bool rashod = SaveList(m_state.vidRashodGrid);
    const bool dohod = SaveList(m_state.vidDohodGrid);
    return rashod && dohod;
}

bool TKindsLists::SortKind(TDataVidGrid& list, int column) {
    if (!list.Table || column < 0 || column >= list.Table->RowCount()) return false;
    TSortState sort{list.SortColumn, list.SortAscending};
    SortKindNames(*list.Table, column, sort, false);
    list.SortColumn = sort.Column;
    list.SortAscending = sort.Ascending;
    return true;
}

bool TKindsLists::MayEdit(const TDataVidGrid& list, int column, int row) const {
    return CanStartTyping(list, column, row) && !RefuseChange(m_state);
}

bool TKindsLists::SortAndSaveKind(TDataVidGrid& list, int column) {
    if (!SortKind(list, column)) return false;
    SaveList(list);
    return true;
}

TKindNameResult TKindsLists::CheckKindName(const QString& name) const {
    if (!IsNotBlank(name)) return TKindNameResult::Blank;
    const TMemTable& kinds = m_state.vidRashod;
    for (int k = 0; k < kinds.RowCount(); ++k) {
        if (SameNameIgnoringCase(kinds.Row(k)->Cell(col::kinds::Kind), name)) {
            Messages().ShowError({QStringLiteral("Название не уникально")});
            return TKindNameResult::NotUnique;
        }
    }
    return TKindNameResult::Done;
}

TKindNameResult TKindsLists::AddKind(const QString& typed) {
    if (RefuseChange(m_state)) return TKindNameResult::Blank;
    const QString name = TrimmedName(typed);
    const TKindNameResult check = CheckKindName(name);
    if (check != TKindNameResult::Done) return check;
    m_state.vidRashod.AddRow()->SetCells({name});
    kindColumn = -1;
    Changed(m_state.vidRashodGrid);
    return check;
}

TKindNameResult TKindsLists::RenameKind(int column, const QString& typed) {
    const QString name = TrimmedName(typed);
    TTableRow* kind = m_state.vidRashod.Row(column);
    if (!kind || RefuseChange(m_state)) return TKindNameResult::Blank;
    const TKindNameResult check = CheckKindName(name);
    if (check != TKindNameResult::Done) return check;
    const QString old = kind->Cell(col::kinds::Kind);
    if (ReplaceInTable(m_state.Table(TTableKind::Rashod), -1, QString(), 1, old, name))
        m_state.Grid(TTableKind::Rashod).NotifyCells();
    if (ReplaceInTable(m_state.Table(TTableKind::PlanRashod), -1, QString(), 0, old, name))
        m_state.Grid(TTableKind::PlanRashod).NotifyCells();
    if (kind->CellCount() < 1) kind->SetCellCount(1);
    kind->SetCell(col::kinds::Kind, name);
    kindColumn = -1;
    Changed(m_state.vidRashodGrid);
    return check;
}

QStringList TKindsLists::KindDeletionQuestion(int column) const {
    if (column < 0 || column >= m_state.vidRashod.RowCount() || !MayChangeBase(m_state)) return {};
    return {QStringLiteral("Вы действительно хотите удалить столбец?")};
}

QStringList TKindsLists::NameDeletionQuestion(const TDataVidGrid& list, int column, int row) const {
    const TTableRow* kind = list.Table ? list.Table->Row(column) : nullptr;
    if (!kind || row < 1 || row >= kind->CellCount() || !IsNotBlank(kind->Cell(row)) ||
        !MayChangeBase(m_state))
        return {};
    return {QStringLiteral("Вы действительно хотите удалить ячейку?")};
}

bool TKindsLists::DeleteKind(int column, bool askFirst) {
    TMemTable& kinds = m_state.vidRashod;
    TDataVidGrid& list = m_state.vidRashodGrid;
    if (column < 0 || column >= kinds.RowCount() || RefuseChange(m_state)) return false;
    if (askFirst && !Messages().AskYesNo(KindDeletionQuestion(column), TMsgButton::Yes)) return false;
    kindColumn = -1;
    if (kinds.RowCount() == 1) {
        kinds.Clear();
        kinds.AddRow()->SetCells({DefaultKindsCaption(TKindsList::Rashod)});
        list.SortColumn = 0;
        list.SortAscending = true;
    } else {
        kinds.DeleteRow(column);
        if (list.SortColumn == column) {
            list.SortColumn = 0;
            list.SortAscending = true;
        } else if (list.SortColumn > column) {
            --list.SortColumn;
        }
    }
    Changed(list);
    return true;
}

bool TKindsLists::DeleteName(TDataVidGrid& list, int column, int row, bool askFirst) {
    TTableRow* kind = list.Table ? list.Table->Row(column) : nullptr;
    if (!kind || row < 1 || row >= kind->CellCount() || !IsNotBlank(kind->Cell(row))) return false;
    if (RefuseChange(m_state)) return false;
    if (askFirst && !Messages().AskYesNo(NameDeletionQuestion(list, column, row), TMsgButton::Yes))
        return false;
    QStringList cells = kind->Cells();
    cells.removeAt(row);
    kind->SetCells(cells);
    Changed(list);
    return true;
}

int TKindsLists::LastNameRow(const TDataVidGrid& list, int column) {
    const TTableRow* kind = list.Table ? list.Table->Row(column) : nullptr;
    if (!kind) return 0;
    const QStringList cells = kind->Cells();
    for (int r = int(cells.size()) - 1; r >= 1; --r)
        if (IsNotBlank(cells[r])) return r;
    return 0;
}

bool TKindsLists::CanStartTyping(const TDataVidGrid& list, int column, int row) {
    const TTableRow* kind = list.Table ? list.Table->Row(column) : nullptr;
    if (!kind || row < 1) return false;
    return IsNotBlank(kind->Cell(row)) || row == LastNameRow(list, column) + 1;
}

QPoint TKindsLists::EditTarget(const TDataVidGrid& list, const QString& kind, const QString& name) {
    int column = 0;
    const int kinds = list.Table ? list.Table->RowCount() : 0;
    for (int k = 0; k < kinds; ++k) {
        if (list.Table->Row(k)->Cell(col::kinds::Kind) == kind) {
            column = k;
            break;
        }
    }
    if (IsNotBlank(name) && column < kinds) {
        const QStringList cells = list.Table->Row(column)->Cells();
        for (int r = 1; r < cells.size(); ++r)
            if (cells[r] == name) return QPoint(column, r);
    }
    return QPoint(column, LastNameRow(list, column) + 1);
}

void TKindsLists::RenameNameInRecords(const TDataVidGrid& list, const QString& kind, const QString& oldName,
                                      const QString& newName) {
    auto rename = [&](TTableKind ledger, int kindCol, int nameCol) {
        if (ReplaceInTable(m_state.Table(ledger), kindCol, kind, nameCol, oldName, newName))
            m_state.Grid(ledger).NotifyCells();
    };
    if (list.listNumber == 0) {
        rename(TTableKind::Rashod, 1, 2);
        rename(TTableKind::PlanRashod, 0, 1);
    } else {
        rename(TTableKind::Dohod, -1, 1);
        rename(TTableKind::PlanDohod, -1, 0);
    }
}

TNameCommit TKindsLists::CommitName(TDataVidGrid& list, int column, int row, const QString& typed) {
    TNameCommit result;
    const QString text = TrimmedName(typed);
    TTableRow* kind = list.Table ? list.Table->Row(column) : nullptr;
    if (!kind || row < 1 || RefuseChange(m_state)) return result;
    const QStringList cells = kind->Cells();
    if (IsNotBlank(text)) {
        for (int r = 1; r < cells.size(); ++r) {
            if (r == row || !SameNameIgnoringCase(cells[r], text)) continue;
            Messages().ShowInfo(
                {QStringLiteral("Название \"") + text + QStringLiteral("\" уже есть в таблице")});
            result.selectRow = r;
            return result;
        }
    }
    // A name is written only where the kind's names stay without gaps.
    if (!IsNotBlank(text) || !CanStartTyping(list, column, row)) return result;
    const QString old = kind->Cell(row);
    if (old == text) return result;
    if (IsNotBlank(old)) RenameNameInRecords(list, cells.value(0), old, text);
    if (kind->CellCount() <= row) kind->SetCellCount(row + 1);
    kind->SetCell(row, text);
    result.stored = true;
    result.added = !IsNotBlank(old);
    Changed(list);
    return result;
}
