#include "ledger/tgeneralclass.h"

#include "storage/tabledefs.h"
#include "storage/ttabledelta.h"

#include "ledger/basechanges.h"
#include "ledger/gridids.h"
#include "ledger/iledgerhooks.h"
#include "ledger/recordtablerules.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "ledger/ttablesortert.h"
#include "storage/tmessageboxclass.h"

#include <stdexcept>

namespace {

const QString kDamaged = QStringLiteral("ячейка повреждена");
const QString kError = QStringLiteral("Ошибка");

QStringList BaseNames(const TMyType& state) {
    QStringList names;
    for (int i = 0; i < state.baseList.RowCount(); ++i) {
        const QString n = state.baseList.Row(i)->Cell(col::baselist::Name);
        if (IsNotBlank(n)) names << n;
    }
    return names;
}

QStringList PurseList(TMyType& state) {
    QStringList names;
    const TMemTable& purse = state.Table(TTableKind::Purse);
    for (int i = 0; i < purse.RowCount(); ++i) {
        const QString n = purse.Row(i)->Cell(col::purse::Name);
        if (IsNotBlank(n)) names << n;
    }
    return names;
}

} // namespace

TGeneralClass::TGeneralClass(TMyType& state, ILedgerHooks& hooks) : m_state(state), m_hooks(hooks) {
    for (int k = 0; k < kTableKindCount; ++k) {
        m_recordRules[size_t(k)] = MakeRecordTableRules(TTableKind(k), state);
        m_rules[size_t(k)] = m_recordRules[size_t(k)].get();
    }
}

TGeneralClass::~TGeneralClass() = default;

ITableRules& TGeneralClass::Rules(TTableKind kind) const {
    ITableRules* rules = m_rules[size_t(kind)];
    if (!rules)
        throw std::logic_error("no rules registered for table " + TableDef(kind).fileName.toStdString());
    return *rules;
}

bool IsEditStartKey(QChar key) {
    return !key.isNull() && key != QChar(8) && key != QChar(9) && key != QChar(27) && key != QChar(u' ') &&
           key.unicode() >= 32;
}

bool TGeneralClass::WritesDefaultDate(const TDataGrid& grid) {
    return TableDef(grid.kind).datesNewRows;
}

QString TGeneralClass::CaptionText(const TDataGrid& grid, int col) const {
    return col >= 0 && col < grid.Captions.size() ? grid.Captions[col] : kDamaged;
}

QString TGeneralClass::CellText(const TDataGrid& grid, int col, int gridRow) const {
    const TTableRow* row = grid.RowAt(gridRow);
    if (!row) return QString();
    if (row->CellCount() <= col) return kDamaged;
    QString text;
    if (!row->TryCell(col, text)) return kError;
    return Rules(grid.kind).CellText(col, text);
}

QString TGeneralClass::KindsCellText(const TDataVidGrid& grid, int col, int row) {
    if (!grid.Table) return QString();
    const TTableRow* kind = grid.Table->Row(col);
    if (!kind || row < 0 || row >= kind->CellCount()) return QString();
    QString text;
    return kind->TryCell(row, text) ? text : kError;
}

bool TGeneralClass::IsComplete(const TDataGrid& grid, int tableRow) const {
    const TTableRow* row = grid.Table ? grid.Table->Row(tableRow) : nullptr;
    if (!row) return false;
    for (int c = 0; c <= grid.LastRequiredColumn; ++c)
        if (!IsNotBlank(row->Cell(c))) return false;
    return true;
}

void TGeneralClass::AppendRow(TDataGrid& grid) {
    const TTableDef& def = TableDef(grid.kind);
    QStringList cells;
    cells.resize(def.CellCount());
    if (WritesDefaultDate(grid)) cells[def.dateColumn] = FormatDate(DateFromQDate(grid.DefaultDate));
    // A row for a new record is not saved until it is filled: a table as read stays as read.
    const bool clean = !grid.Table->Modified();
    grid.Table->AddRow()->SetCells(cells);
    const int tableRow = grid.Table->RowCount() - 1;
    grid.RowMap.push_back(tableRow + 1);
    grid.shown.resize(size_t(grid.Table->RowCount()) + 1, true);
    m_hooks.NewRowAppended(grid, tableRow);
    if (clean) grid.Table->MarkUnmodified();
}

bool TGeneralClass::EnsureNewRow(TDataGrid& grid) {
    if (!grid.Table) return false;
    if (grid.RowMap.empty()) grid.RowMap.push_back(0);
    const int last = grid.TableRow(grid.GridRowCount() - 1);
    if (last >= 0) {
        m_hooks.LastRowChecking(grid, last);
        if (!IsComplete(grid, last)) return false;
    }
    AppendRow(grid);
    grid.NotifyRowsInserted(grid.GridRowCount() - 1, 1);
    return true;
}

void TGeneralClass::NextCell(TDataGrid& grid) const {
    if (grid.col + 1 < grid.ColumnCount()) {
        ++grid.col;
    } else {
        grid.col = 0;
        if (grid.row + 1 < grid.GridRowCount()) ++grid.row;
    }
    grid.NotifySelection();
}

void TGeneralClass::ShowFillHint(const TDataGrid& grid, int col, int gridRow) const {
    Messages().ShowCellHint(grid.gridId, col, gridRow, QStringLiteral("Заполните предыдущие ячейки"));
}

bool TGeneralClass::FillRuleBlocks(const TDataGrid& grid, int col, int gridRow, TEditorKind editor) const {
    if (editor != TEditorKind::Text && editor != TEditorKind::Number && editor != TEditorKind::Choice)
        return false;
    const bool blocked = Rules(grid.kind).WantsEarlierCells(grid, grid.RowAt(gridRow), col, editor);
    if (blocked) ShowFillHint(grid, col, gridRow);
    return blocked;
}

QStringList TGeneralClass::ChoiceItems(const TDataGrid& grid, int col, int gridRow, int* preselect) const {
    const TColumnKind kind = grid.Column(col);
    QStringList items;
    switch (kind) {
    case TColumnKind::Role:
        items = {cells::kAdmin, cells::kOrdinary};
        break;
    case TColumnKind::Base:
        items = BaseNames(m_state);
        break;
    case TColumnKind::Purse:
        items = PurseList(m_state);
        break;
    case TColumnKind::Category:
        items = {cells::kLent, cells::kBorrowed};
        break;
    case TColumnKind::InPurse:
        items = {cells::kShown, cells::kNotShown};
        break;
    default:
        break;
    }
    if (preselect) {
        const TTableRow* row = grid.RowAt(gridRow);
        QString value = row ? row->Cell(col) : QString();
        if (kind == TColumnKind::Role && value == QLatin1String("1")) value = cells::kAdmin;
        if (!IsNotBlank(value) && kind == TColumnKind::Purse) value = m_state.basePurse;
        *preselect = std::max(0, int(items.indexOf(value)));
    }
    return items;
}

void SetEditorOpening(TEditRequest& request, const QString& stored, QChar usedKey, TEditStart start) {
    request.selectAll = false;
    request.caretAtEnd = false;
    if (!usedKey.isNull()) {
        request.text = QString(usedKey);
        request.caretAtEnd = true;
        return;
    }
    request.text = stored;
    if (start == TEditStart::DoubleClick)
        request.caretAtEnd = true;
    else
        request.selectAll = true;
}

TEditRequest TGeneralClass::BeginEdit(TDataGrid& grid, int col, int gridRow, QChar firstKey,
                                      TEditStart start) {
    TEditRequest req;
    req.col = col;
    req.row = gridRow;
    if (RefuseChange(m_state)) return req;
    ITableRules& rules = Rules(grid.kind);
    if (rules.CommitsCells() ? !rules.MayEditCell(grid, gridRow, col)
                             : !m_hooks.MayEditCell(grid, gridRow, col))
        return req;
    const TColumnKind kind = grid.Column(col);
    const TTableRow* row = grid.RowAt(gridRow);
    const QString stored = row ? row->Cell(col) : QString();
    switch (kind) {
    case TColumnKind::Date: {
        req.kind = TEditorKind::Date;
        req.date = IsNotBlank(stored) ? DateToQDate(ParseCellDate(stored)) : Today();
        return req;
    }
    case TColumnKind::Number: {
        if (FillRuleBlocks(grid, col, gridRow, TEditorKind::Number)) return req;
        req.kind = TEditorKind::Number;
        const bool used = firstKey == u'(' || firstKey == u'=' || firstKey.isDigit();
        SetEditorOpening(req, stored, used ? firstKey : QChar(), start);
        return req;
    }
    case TColumnKind::Text: {
        if (FillRuleBlocks(grid, col, gridRow, TEditorKind::Text)) return req;
        req.kind = TEditorKind::Text;
        SetEditorOpening(req, stored, firstKey, start);
        return req;
    }
    case TColumnKind::User:
        return EnterUserColumn(grid);
    case TColumnKind::Kind:
        req.kind = TEditorKind::Picker;
        if (row) rules.PlacePicker(req, *row, col);
        return req;
    default:
        break;
    }
    if (IsChoiceColumn(kind)) {
        if (FillRuleBlocks(grid, col, gridRow, TEditorKind::Choice)) return req;
        req.kind = TEditorKind::Choice;
        req.choices = ChoiceItems(grid, col, gridRow, &req.choiceIndex);
    }
    return req;
}

TEditRequest TGeneralClass::EnterUserColumn(TDataGrid& grid) {
    TEditRequest none;
    TTableRow* row = grid.RowAt(grid.row);
    if (!row) return none;
    const ITableRules& rules = Rules(grid.kind);
    if (!rules.IsRecordStarted(grid, *row)) return none;
    const int finished = grid.TableRow(grid.row);
    if (grid.UserColumn >= 0 && row->CellCount() > grid.UserColumn)
        row->SetCell(grid.UserColumn, m_state.userName);
    grid.NotifyRowCells(grid.row);
    NextCell(grid);
    if (rules.StartsNextRecordAfterUser() && grid.col == grid.DateColumn) {
        if (finished == grid.Table->RowCount() - 1) {
            AppendRow(grid);
            grid.NotifyRowsInserted(grid.GridRowCount() - 1, 1);
            grid.row = grid.GridRowCount() - 1; // the next record starts on the row just made
        }
        grid.col = 1;
        grid.NotifySelection();
    }
    return BeginEdit(grid, grid.col, grid.row, QChar(), TEditStart::Continue);
}

bool TGeneralClass::IsSortable(const TDataGrid& grid) {
    return TableDef(grid.kind).sortable;
}

void TGeneralClass::SortByColumn(TDataGrid& grid, int column) {
    if (!IsSortable(grid) || column < 0 || column >= grid.ColumnCount() || !grid.Table) return;
    TSortState sort{grid.SortColumn, grid.SortAscending};
    const TSortState before = sort;
    SortLedgerByColumn(*grid.Table, sort, column, grid.Column(column));
    grid.SortColumn = sort.Column;
    grid.SortAscending = sort.Ascending;
    // The mark on the caption goes back and forth with the order of the rows.
    if (TTableDelta* delta = grid.Table->DeltaBeingRecorded()) {
        TDataGrid* g = &grid;
        delta->AddStep(
            [g, before] {
                g->SortColumn = before.Column;
                g->SortAscending = before.Ascending;
            },
            [g, sort] {
                g->SortColumn = sort.Column;
                g->SortAscending = sort.Ascending;
            });
    }
    if (grid.filterActive)
        m_hooks.ReapplyFilter(grid);
    else
        grid.ResetRowMap();
    m_hooks.TotalsChanged(grid);
    grid.NotifyRows();
}

namespace {

// A row goes as a record when the cells that name it are filled. A row that carries a sum has moved
// money (a return typed before its date, say): it goes as a record does, so that the money comes back,
// rather than being wiped.
bool IsRecordToRemove(const TDataGrid& grid, const ITableRules& rules, const TTableRow& row) {
    const auto [from, to] = rules.NamingCells(grid);
    bool complete = true;
    for (int c = from; c <= to && complete; ++c)
        complete = !row.Cell(c).isEmpty();
    return complete || (grid.SumColumn >= 0 && NumberValue(row.Cell(grid.SumColumn)) != 0);
}

// Empties the visible cells of a row (the hidden ones stay), the date set to today's when asked.
void ClearRecordText(TDataGrid& grid, int gridRow, TTableRow& row, bool defaultDate) {
    QStringList cells = row.Cells();
    for (int c = 0; c < std::min(int(cells.size()), grid.ColumnCount()); ++c)
        cells[c].clear();
    if (defaultDate) cells[grid.DateColumn] = FormatDate(DateFromQDate(grid.DefaultDate));
    row.SetCells(cells);
    grid.NotifyRowCells(gridRow);
}

} // namespace

std::vector<QStringList> TGeneralClass::DeletionQuestions(const TDataGrid& grid, int gridRow) {
    // A base open read-only refuses the deletion itself, with no question first.
    const int tableRow = grid.TableRow(gridRow);
    if (!grid.Table || tableRow < 0 || !MayChangeBase(m_state)) return {};
    return Rules(grid.kind).DeletionQuestions(const_cast<TDataGrid&>(grid), tableRow);
}

bool TGeneralClass::DeleteLedgerRow(TDataGrid& grid, int gridRow, bool askFirst) {
    if (RefuseChange(m_state)) return false;
    ITableRules& rules = Rules(grid.kind);
    if (rules.CommitsCells()) {
        const int tableRow = grid.TableRow(gridRow);
        switch (tableRow < 0 ? ITableRules::TDeletion::Kept : rules.DeleteRow(grid, tableRow, askFirst)) {
        case ITableRules::TDeletion::Kept:
            return false;
        case ITableRules::TDeletion::Deleted:
            if (grid.row >= grid.GridRowCount()) grid.row = std::max(1, grid.GridRowCount() - 1);
            grid.NotifyRows();
            m_hooks.TotalsChanged(grid);
            return true;
        case ITableRules::TDeletion::Generic:
            break;
        }
    }
    if (askFirst &&
        !Messages().AskYesNo({QStringLiteral("Вы действительно хотите удалить строку?")}, TMsgButton::Yes))
        return false;
    const int tableRow = grid.TableRow(gridRow);
    TTableRow* row = tableRow >= 0 ? grid.Table->Row(tableRow) : nullptr;
    if (!row) return false;
    // A view moves its current cell off a row that goes; the selection stays on the same grid row.
    const int selected = grid.row;
    if (!IsRecordToRemove(grid, rules, *row)) {
        // The hidden cells (a debt's returns number) stay: they are not the record's text.
        ClearRecordText(grid, gridRow, *row, false);
        return true;
    }
    if (m_hooks.RemoveRecord(grid, tableRow)) {
        // The hooks told the view which rows went.
        grid.row = std::min(selected, std::max(1, grid.GridRowCount() - 1));
        grid.NotifySelection();
        m_hooks.TotalsChanged(grid);
        return true;
    }
    if (gridRow == grid.GridRowCount() - 1) {
        ClearRecordText(grid, gridRow, *row, rules.RedatesClearedRow());
    } else {
        grid.Table->DeleteRow(tableRow);
        grid.RowMap.erase(grid.RowMap.begin() + gridRow);
        for (size_t g = 1; g < grid.RowMap.size(); ++g)
            if (grid.RowMap[g] > tableRow + 1) --grid.RowMap[g];
        if (tableRow + 1 < int(grid.shown.size())) grid.shown.erase(grid.shown.begin() + tableRow + 1);
        grid.NotifyRowsRemoved(gridRow, 1);
        grid.row = std::min(selected, grid.GridRowCount() - 1);
        grid.NotifySelection();
    }
    if (grid.filterActive) m_hooks.ReapplyFilter(grid);
    m_hooks.TotalsChanged(grid);
    return true;
}
