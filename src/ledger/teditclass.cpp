#include "ledger/teditclass.h"

#include "ledger/basechanges.h"
#include "ledger/iledgerhooks.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "ledger/ttablesortert.h"
#include "storage/tmessageboxclass.h"

namespace {

bool IsLedger(const TDataGrid& g) {
    return TableDef(g.kind).IsLedger();
}

// The row's cells with every cell the table has, the hidden ones included.
QStringList FullCells(const TDataGrid& grid, const TTableRow& row) {
    QStringList cells = row.Cells();
    cells.resize(std::max(int(cells.size()), TableDef(grid.kind).CellCount()));
    return cells;
}

} // namespace

bool TEditClass::IsNumberCell(const TDataGrid& grid, int col) const {
    return m_general.Rules(grid.kind).IsNumberCell(col);
}

void TEditClass::Store(TDataGrid& grid, int gridRow, int tableRow, int col, const QString& value) {
    TTableRow* row = grid.Table->Row(tableRow);
    if (!row) return;
    if (row->CellCount() <= col) row->SetCellCount(std::max(col + 1, TableDef(grid.kind).CellCount()));
    row->SetCell(col, value);
    grid.NotifyRowCells(gridRow);
}

// "Неправильная формула", and the number editor opens again on the text. A wrong formula that follows
// such a refusal is dropped without a second message: the cell keeps its value.
void TEditClass::RefuseFormula(const QString& text, const QString& old, TCommitResult& result) {
    if (failedFormulaCount > 0) {
        failedFormulaCount = 0;
        lastFailedFormula.clear();
        return;
    }
    RefuseTyped(QStringLiteral("Неправильная формула"), TEditorKind::Number, text, result);
    const bool storedValue = IsNotBlank(old) && old != QLatin1String("0");
    failedFormulaCount = (text != lastFailedFormula && storedValue) ? 0 : failedFormulaCount + 1;
    lastFailedFormula = text;
}

void TEditClass::RefuseTyped(const QString& message, TEditorKind editor, const QString& text,
                             TCommitResult& result) {
    Messages().ShowError({message});
    continueFlag = false;
    result.reopen = true;
    result.reopenKind = editor;
    result.reopenText = text;
}

TCommitResult TEditClass::CommitText(TDataGrid& grid, int col, int gridRow, TEditorKind editor,
                                     const QString& text) {
    TCommitResult result;
    if (tabSwitching) return result;
    m_general.EnsureNewRow(grid);
    const int tableRow = grid.TableRow(gridRow);
    TTableRow* row = tableRow >= 0 ? grid.Table->Row(tableRow) : nullptr;
    if (!row) return result;
    const QString old = row->Cell(col);
    const bool number = IsNumberCell(grid, col);
    ITableRules& rules = m_general.Rules(grid.kind);
    if (!rules.AcceptTyped(grid, tableRow, col, text)) return result;
    if (number && !CheckFormula(text)) {
        RefuseFormula(text, old, result);
        return result;
    }
    failedFormulaCount = 0;
    lastFailedFormula.clear();
    const bool sumTyped = number || editor == TEditorKind::Number;
    // An empty sum left empty (Esc, or Enter on nothing typed) stays empty: "0" would be a sum nobody
    // typed.
    if (sumTyped && IsBlank(text) && IsBlank(old)) return result;
    if (sumTyped) {
        const TSumRead sum = ReadSum(text);
        if (sum.refusal != TSumRefusal::None) {
            RefuseTyped(SumRefusalMessage(sum.refusal), TEditorKind::Number, text, result);
            return result;
        }
    }

    if (rules.CommitsCells()) {
        rules.CommitCell(grid, tableRow, col, text, result);
        if (!result.stored)
            continueFlag = result.selectRow < 0 && continueFlag;
        else
            m_general.EnsureNewRow(grid);
        grid.NotifyCells();
        m_hooks.TotalsChanged(grid);
        return result;
    }
    const QString value = sumTyped ? ReadSum(text).text : text;

    const QStringList before = FullCells(grid, *row);
    QStringList after = before;
    after[col] = value;
    if (before != after && !m_hooks.ConfirmChange(grid, tableRow, col, before, after)) {
        // Not meant as it stands: the editor opens again on the text to be put right.
        continueFlag = false;
        result.reopen = true;
        result.reopenKind = editor;
        result.reopenText = text;
        return result;
    }
    if (before != after) m_hooks.RecordChanging(grid, tableRow, before, after);
    Store(grid, gridRow, tableRow, col, value);
    result.stored = true;
    m_hooks.RecordChanged(grid, tableRow, col, old);
    AfterLedgerStore(grid, col, gridRow);
    if (IsLedger(grid)) ResortAfterEdit(grid, col, gridRow);
    m_general.EnsureNewRow(grid);
    m_hooks.TotalsChanged(grid);
    return result;
}

void TEditClass::AfterLedgerStore(TDataGrid& grid, int col, int gridRow) {
    TTableRow* row = grid.RowAt(gridRow);
    if (!row) return;
    if (grid.UserColumn >= 0 && row->Cell(grid.UserColumn) != m_state.userName)
        row->SetCell(grid.UserColumn, m_state.userName);
    AutoFill(grid, col, gridRow);
    grid.NotifyRowCells(gridRow);
}

void TEditClass::AutoFill(TDataGrid& grid, int col, int gridRow) {
    const int tableRow = grid.TableRow(gridRow);
    TTableRow* row = grid.RowAt(gridRow);
    int fillCol = -1;
    QString value;
    if (!row || !m_hooks.AutoFill(grid, tableRow, col, fillCol, value)) return;
    const QStringList before = FullCells(grid, *row);
    QStringList after = before;
    after[fillCol] = value;
    m_hooks.RecordChanging(grid, tableRow, before, after);
    m_general.EnsureNewRow(grid);
    row = grid.Table->Row(tableRow);
    row->SetCell(fillCol, value);
    m_hooks.RecordChanged(grid, tableRow, fillCol, before[fillCol]);
}

TCommitResult TEditClass::CommitChoice(TDataGrid& grid, int col, int gridRow, const QString& chosen) {
    TCommitResult result;
    const int tableRow = grid.TableRow(gridRow);
    TTableRow* row = tableRow >= 0 ? grid.Table->Row(tableRow) : nullptr;
    if (!row) return result;
    const QString old = row->Cell(col);
    if (ITableRules& rules = m_general.Rules(grid.kind); rules.CommitsCells()) {
        rules.CommitCell(grid, tableRow, col, chosen, result);
        // A row made whole by its last choice (a user's base) has the row for the next one at once.
        if (result.stored) m_general.EnsureNewRow(grid);
        grid.NotifyCells();
        m_hooks.TotalsChanged(grid);
        return result;
    }
    QString value = chosen;
    const QStringList before = FullCells(grid, *row);
    QStringList after = before;
    after[col] = value;
    if (before != after && !m_hooks.ConfirmChange(grid, tableRow, col, before, after)) {
        continueFlag = false;
        return result;
    }
    if (before != after) {
        m_hooks.RecordChanging(grid, tableRow, before, after);
        Store(grid, gridRow, tableRow, col, value);
    }
    result.stored = true;
    m_hooks.RecordChanged(grid, tableRow, col, old);
    if (IsLedger(grid) && grid.UserColumn >= 0 && row->Cell(grid.UserColumn) != m_state.userName)
        row->SetCell(grid.UserColumn, m_state.userName);
    if (IsLedger(grid)) ResortAfterEdit(grid, col, gridRow);
    m_general.EnsureNewRow(grid);
    m_hooks.TotalsChanged(grid);
    return result;
}

TCommitResult TEditClass::CommitDate(TDataGrid& grid, int col, int gridRow, const QString& typed) {
    TCommitResult result;
    const int tableRow = grid.TableRow(gridRow);
    TTableRow* row = tableRow >= 0 ? grid.Table->Row(tableRow) : nullptr;
    if (!row) return result;
    const std::optional<TDateValue> read = ReadTypedDate(typed);
    if (!read) {
        RefuseTyped(QStringLiteral("Неверная дата"), TEditorKind::Date, typed, result);
        return result;
    }
    const QDate date = DateToQDate(*read);
    const QString old = row->Cell(col);
    const QString value = FormatDate(*read);
    const QStringList before = FullCells(grid, *row);
    QStringList after = before;
    after[col] = value;
    if (before != after) m_hooks.RecordChanging(grid, tableRow, before, after);
    Store(grid, gridRow, tableRow, col, value);
    result.stored = true;
    ITableRules& rules = m_general.Rules(grid.kind);
    rules.DateStored(grid, col, gridRow, date);
    m_hooks.RecordChanged(grid, tableRow, col, old);
    if (IsLedger(grid) && rules.ResortsAfterDate(grid, *row)) ResortAfterEdit(grid, col, gridRow);
    m_general.EnsureNewRow(grid);
    m_hooks.TotalsChanged(grid);
    return result;
}

void TEditClass::ResortAfterEdit(TDataGrid& grid, int editedCol, int gridRow) {
    if (!IsLedger(grid)) return;
    if (!m_general.Rules(grid.kind).EditMovesRecord(grid, editedCol)) return;
    const int tableRow = grid.TableRow(gridRow);
    if (tableRow < 0) return;
    const int newRow = ResortRow(*grid.Table, tableRow, grid.SortColumn,
                                 ComparisonForColumn(grid.Column(grid.SortColumn)), !grid.SortAscending);
    if (!grid.filterActive && grid.GridRowCount() == grid.Table->RowCount() + 1) {
        // Without a filter grid row g shows table row g - 1, and stays so: only the rows between the
        // record's old and new place show other records now.
        grid.row = newRow + 1;
        grid.NotifyRowCells(std::min(tableRow, newRow) + 1, std::max(tableRow, newRow) + 1);
        grid.NotifySelection();
        return;
    }
    if (grid.filterActive) {
        m_hooks.ReapplyFilter(grid);
    } else {
        grid.ResetRowMap();
    }
    int found = grid.GridRowOf(newRow);
    if (found < 0 && grid.filterActive) {
        m_hooks.DropFilter(grid);
        found = grid.GridRowOf(newRow);
    }
    grid.row = found > 0 ? found : grid.GridRowCount() - 1;
    grid.NotifyRows();
    grid.NotifySelection();
}

TEditRequest TEditClass::AfterEnter(TDataGrid& grid) {
    if (grid.gridId < 0) return {};
    const ITableRules& rules = m_general.Rules(grid.kind);
    if (!rules.CommitsCells()) {
        if (rules.StopsAfterEnter(grid)) return {};
        m_general.NextCell(grid);
        if (m_hooks.SkipOnEntry(grid, grid.row, grid.col)) m_general.NextCell(grid);
    } else {
        m_general.NextCell(grid);
    }
    if (!continueFlag) {
        continueFlag = true;
        return {};
    }
    if (!rules.ContinuesEntry()) return {};
    return m_general.BeginEdit(grid, grid.col, grid.row, QChar(), TEditStart::Continue);
}

TEditRequest TEditClass::AfterChoiceEnter(TDataGrid& grid) {
    if (!continueFlag) { // the choice was not taken: the cell stays
        continueFlag = true;
        return {};
    }
    const int step = m_general.Rules(grid.kind).CellsAfterChoice(grid);
    if (step == 0) return {};
    for (int i = 0; i < step; ++i)
        m_general.NextCell(grid);
    return m_general.BeginEdit(grid, grid.col, grid.row, QChar(), TEditStart::Continue);
}

TEditRequest TEditClass::AfterDateEnter(TDataGrid& grid) {
    m_general.NextCell(grid);
    if (!m_general.Rules(grid.kind).OpensAfterDate(grid)) return {};
    return m_general.BeginEdit(grid, grid.col, grid.row, QChar(), TEditStart::Continue);
}

void TEditClass::MoveAfterArrow(TDataGrid& grid, int delta, const QString& editorText) {
    if (!CheckFormula(editorText)) return;
    if (delta > 0 && grid.row == grid.GridRowCount() - 1) m_general.EnsureNewRow(grid);
    grid.row = std::clamp(grid.row + delta, 1, std::max(1, grid.GridRowCount() - 1));
    grid.NotifySelection();
}

bool TEditClass::NormaliseAllDates() {
    // Also run by itself after a switch of user: a read-only base is left as it is, without a word.
    if (m_state.Table(TTableKind::Rashod).RowCount() == 0 || !MayChangeBase(m_state)) return false;
    auto rewrite = [](TMemTable& table, const TTableDef& def) {
        for (int r = 0; r < table.RowCount(); ++r) {
            TTableRow* row = table.Row(r);
            for (int c = 0; c < def.ColumnCount(); ++c) {
                if (def.Column(c) != TColumnKind::Date) continue;
                const QString cell = row->Cell(c);
                if (cell.isEmpty()) continue;
                const QString canonical = FormatDate(ParseDateSystem(cell));
                if (canonical != cell) row->SetCell(c, canonical);
            }
        }
    };
    for (TTableKind kind : LedgerKinds())
        rewrite(m_state.Table(kind), TableDef(kind));
    rewrite(m_state.Table(TTableKind::Transfer), TableDef(TTableKind::Transfer));
    for (auto& table : m_state.returns)
        if (table) rewrite(*table, TableDef(TTableKind::Returns));
    for (TTableKind kind : LedgerKinds())
        m_state.Grid(kind).NotifyCells();
    return true;
}
