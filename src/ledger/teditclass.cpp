#include "ledger/teditclass.h"

#include "ledger/iledgerhooks.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "ledger/ttablesortert.h"
#include "storage/tmessageboxclass.h"

namespace {

bool IsLedger(const TDataGrid& g) { return TableDef(g.kind).IsLedger(); }

// The row's cells with every cell the table has, the hidden ones included.
QStringList FullCells(const TDataGrid& grid, const TTableRow& row) {
    QStringList cells = row.Cells();
    cells.resize(std::max(int(cells.size()), TableDef(grid.kind).CellCount()));
    return cells;
}

} // namespace

bool TEditClass::IsNumberCell(const TDataGrid& grid, int col) const {
    if (IsLedger(grid) || grid.kind == TTableKind::Returns)
        return col == grid.SumColumn;
    if (grid.kind == TTableKind::Purse)
        return col == 1 || col == 2;
    return false;
}

void TEditClass::Store(TDataGrid& grid, int tableRow, int col, const QString& value) {
    TTableRow* row = grid.Table->Row(tableRow);
    if (!row)
        return;
    if (row->CellCount() <= col)
        row->SetCellCount(std::max(col + 1, TableDef(grid.kind).CellCount()));
    row->SetCell(col, value);
    grid.NotifyCells();
}

TCommitResult TEditClass::CommitText(TDataGrid& grid, int col, int gridRow, TEditorKind editor, const QString& text) {
    TCommitResult result;
    if (tabSwitching)
        return result;
    m_general.EnsureNewRow(grid);
    const int tableRow = grid.TableRow(gridRow);
    TTableRow* row = tableRow >= 0 ? grid.Table->Row(tableRow) : nullptr;
    if (!row)
        return result;
    const QString old = row->Cell(col);
    const bool number = IsNumberCell(grid, col);

    if (grid.kind == TTableKind::Purse && col == 1 && row->Cell(3) == QLatin1String("1") &&
        NormalizeSum(text) != QLatin1String("1")) {
        Messages().ShowError({QStringLiteral("Курс базового кошелька всегда равен 1")});
        return result;
    }
    if (number && !CheckFormula(text)) {
        if (failedFormulaCount > 0) {
            failedFormulaCount = 0;
            lastFailedFormula.clear();
            return result;
        }
        Messages().ShowError({QStringLiteral("Неправильная формула")});
        continueFlag = false;
        result.reopen = true;
        result.reopenText = text;
        const bool storedValue = IsNotBlank(old) && old != QLatin1String("0");
        failedFormulaCount = (text != lastFailedFormula && storedValue) ? 0 : failedFormulaCount + 1;
        lastFailedFormula = text;
        return result;
    }
    failedFormulaCount = 0;
    lastFailedFormula.clear();

    if ((grid.kind == TTableKind::Purse || grid.kind == TTableKind::Transfer || grid.kind == TTableKind::User) &&
        m_hooks.CommitOwnCell(grid, tableRow, col, text, result)) {
        if (!result.stored)
            continueFlag = result.selectRow < 0 && continueFlag;
        else
            m_general.EnsureNewRow(grid);
        grid.NotifyCells();
        m_hooks.TotalsChanged(grid);
        return result;
    }
    if ((grid.kind == TTableKind::Purse || grid.kind == TTableKind::User) && !IsNotBlank(text)) {
        grid.NotifyCells();
        return result;
    }
    if ((grid.kind == TTableKind::Purse || grid.kind == TTableKind::User) && col == 0) {
        for (int r = 0; r < grid.Table->RowCount(); ++r) {
            if (r == tableRow || !SameNameIgnoringCase(grid.Table->Row(r)->Cell(0), text))
                continue;
            const QString what = grid.kind == TTableKind::Purse ? QStringLiteral("Кошелек \"") : QStringLiteral("Пользователь \"");
            Messages().ShowError({what + text + QStringLiteral("\" уже существует")});
            result.selectRow = grid.GridRowOf(r);
            continueFlag = false;
            return result;
        }
    }
    QString value = text;
    if (number || editor == TEditorKind::Number)
        value = NormalizeSum(text);
    if (grid.kind == TTableKind::Purse && col == 1 && NumberValue(value) == 0) {
        Messages().ShowError({QStringLiteral("Курс кошелька не может быть равен нулю")});
        return result;
    }
    if (grid.kind == TTableKind::Transfer && (col == 2 || col == 4) && text.trimmed() == QLatin1String("0")) {
        Messages().ShowError({QStringLiteral("Курс кошелька не может быть нулевым")});
        return result;
    }
    if (!m_hooks.AcceptValue(grid, tableRow, col, old, value))
        return result;

    const QStringList before = FullCells(grid, *row);
    QStringList after = before;
    after[col] = value;
    if (before != after)
        m_hooks.RecordChanging(grid, tableRow, before, after);
    Store(grid, tableRow, col, value);
    result.stored = true;
    if (grid.kind == TTableKind::User && col == 0 && !IsNotBlank(old)) {
        if (row->CellCount() < 4)
            row->SetCellCount(4);
        if (row->Cell(3).isEmpty())
            row->SetCell(3, QStringLiteral("0"));
        if (row->Cell(2).isEmpty())
            row->SetCell(2, cells::kOrdinary);
        result.askNewUserPassword = true;
    }
    m_hooks.RecordChanged(grid, tableRow, col, old);
    if (IsLedger(grid) || grid.kind == TTableKind::Returns)
        AfterLedgerStore(grid, col, gridRow);
    if (IsLedger(grid))
        ResortAfterEdit(grid, col, gridRow);
    m_general.EnsureNewRow(grid);
    m_hooks.TotalsChanged(grid);
    return result;
}

void TEditClass::AfterLedgerStore(TDataGrid& grid, int col, int gridRow) {
    TTableRow* row = grid.RowAt(gridRow);
    if (!row)
        return;
    if (grid.UserColumn >= 0 && row->Cell(grid.UserColumn) != m_state.userName)
        row->SetCell(grid.UserColumn, m_state.userName);
    if (grid.kind == TTableKind::Dolg && IsNotBlank(row->Cell(grid.SumColumn)) && !IsNotBlank(row->Cell(7)))
        row->SetCell(7, cells::kNotShown);
    if (col == grid.SumColumn)
        AutomaticBasePurse(grid, gridRow);
    grid.NotifyCells();
}

void TEditClass::AutomaticBasePurse(TDataGrid& grid, int gridRow) {
    const int purseCol = grid.SumColumn + 1;
    TTableRow* row = grid.RowAt(gridRow);
    if (!m_state.purseDefault || !row || IsNotBlank(row->Cell(purseCol)) || m_state.basePurse.isEmpty())
        return;
    const int tableRow = grid.TableRow(gridRow);
    const QStringList before = FullCells(grid, *row);
    QStringList after = before;
    after[purseCol] = m_state.basePurse;
    m_hooks.RecordChanging(grid, tableRow, before, after);
    m_general.EnsureNewRow(grid);
    row = grid.Table->Row(tableRow);
    row->SetCell(purseCol, m_state.basePurse);
    m_hooks.RecordChanged(grid, tableRow, purseCol, before[purseCol]);
}

TCommitResult TEditClass::CommitChoice(TDataGrid& grid, int col, int gridRow, const QString& chosen) {
    TCommitResult result;
    const int tableRow = grid.TableRow(gridRow);
    TTableRow* row = tableRow >= 0 ? grid.Table->Row(tableRow) : nullptr;
    if (!row)
        return result;
    const QString old = row->Cell(col);
    if ((grid.kind == TTableKind::Transfer || grid.kind == TTableKind::User) &&
        m_hooks.CommitOwnCell(grid, tableRow, col, chosen, result)) {
        // A row made whole by its last choice (a user's base) has the row for the next one at once.
        if (result.stored)
            m_general.EnsureNewRow(grid);
        grid.NotifyCells();
        m_hooks.TotalsChanged(grid);
        return result;
    }
    QString value = chosen;
    if (grid.kind == TTableKind::User && col == 2) {
        if (value != cells::kAdmin && (old == cells::kAdmin || old == QLatin1String("1"))) {
            int admins = 0;
            for (int r = 0; r < grid.Table->RowCount(); ++r) {
                const QString role = grid.Table->Row(r)->Cell(2);
                if (r != tableRow && IsNotBlank(grid.Table->Row(r)->Cell(0)) &&
                    (role == cells::kAdmin || role == QLatin1String("1")))
                    ++admins;
            }
            if (admins == 0) {
                Messages().ShowError({QStringLiteral("Должен остаться хотя бы один администратор!")});
                result.selectRow = gridRow;
                return result;
            }
        }
    }
    if (!m_hooks.AcceptValue(grid, tableRow, col, old, value))
        return result;
    const QStringList before = FullCells(grid, *row);
    QStringList after = before;
    after[col] = value;
    if (grid.kind == TTableKind::Transfer && (col == 1 || col == 3)) {
        // The purse's rate goes into the next column with the purse, before the transfer is applied.
        const TMemTable& purse = m_state.Table(TTableKind::Purse);
        QString rate = QStringLiteral("1");
        for (int r = 0; r < purse.RowCount(); ++r)
            if (purse.Row(r)->Cell(0) == value)
                rate = purse.Row(r)->Cell(1);
        after[col + 1] = rate;
    }
    if (before != after)
        m_hooks.RecordChanging(grid, tableRow, before, after);
    for (int c = 0; c < after.size(); ++c)
        if (before[c] != after[c])
            Store(grid, tableRow, c, after[c]);
    result.stored = true;
    m_hooks.RecordChanged(grid, tableRow, col, old);
    if (IsLedger(grid) && grid.UserColumn >= 0 && row->Cell(grid.UserColumn) != m_state.userName)
        row->SetCell(grid.UserColumn, m_state.userName);
    if (grid.kind == TTableKind::User && col == 2 && row->Cell(0) == m_state.userName)
        m_state.admin = value == cells::kAdmin;
    if (IsLedger(grid))
        ResortAfterEdit(grid, col, gridRow);
    m_general.EnsureNewRow(grid);
    m_hooks.TotalsChanged(grid);
    return result;
}

TCommitResult TEditClass::CommitDate(TDataGrid& grid, int col, int gridRow, const QDate& date) {
    TCommitResult result;
    const int tableRow = grid.TableRow(gridRow);
    TTableRow* row = tableRow >= 0 ? grid.Table->Row(tableRow) : nullptr;
    if (!row || !date.isValid())
        return result;
    const QString old = row->Cell(col);
    const QString value = FormatDate(DateFromQDate(date));
    const QStringList before = FullCells(grid, *row);
    QStringList after = before;
    after[col] = value;
    if (before != after)
        m_hooks.RecordChanging(grid, tableRow, before, after);
    Store(grid, tableRow, col, value);
    result.stored = true;
    const bool plan = grid.kind == TTableKind::PlanRashod || grid.kind == TTableKind::PlanDohod;
    if (plan) {
        if (col == grid.DateColumn)
            grid.DefaultDate = date;
        else if (col == grid.DateColumn + 1)
            (grid.kind == TTableKind::PlanRashod ? m_state.planUntilRashod : m_state.planUntilDohod) = date;
    } else if (col == grid.DateColumn && gridRow == grid.GridRowCount() - 1) {
        grid.DefaultDate = date;
    }
    m_hooks.RecordChanged(grid, tableRow, col, old);
    const bool debtLike = grid.kind == TTableKind::Dolg || grid.kind == TTableKind::Returns;
    if (!(debtLike && !IsNotBlank(row->Cell(grid.DateColumn + 1))) && IsLedger(grid))
        ResortAfterEdit(grid, col, gridRow);
    m_general.EnsureNewRow(grid);
    m_hooks.TotalsChanged(grid);
    return result;
}

void TEditClass::ResortAfterEdit(TDataGrid& grid, int editedCol, int gridRow) {
    if (!IsLedger(grid))
        return;
    const bool dueDate = grid.kind == TTableKind::Dolg && editedCol == grid.DateColumn + 1 &&
                         grid.SortColumn == grid.DateColumn;
    if (editedCol != grid.SortColumn && !dueDate)
        return;
    const int tableRow = grid.TableRow(gridRow);
    if (tableRow < 0)
        return;
    const int newRow = ResortRow(*grid.Table, tableRow, grid.SortColumn, ComparisonForLetter(grid.Letter(grid.SortColumn)),
                                 !grid.SortAscending);
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
    if (grid.gridId < 0)
        return {};
    const bool stayInDebtUser = grid.kind == TTableKind::Dolg && grid.col == grid.UserColumn;
    if (IsLedger(grid) || grid.kind == TTableKind::Returns) {
        if (stayInDebtUser)
            return {};
        m_general.NextCell(grid);
        const TTableRow* row = grid.RowAt(grid.row);
        if (grid.col == grid.SumColumn + 1 && m_state.purseDefault && row && IsNotBlank(row->Cell(grid.col)))
            m_general.NextCell(grid);
    } else {
        m_general.NextCell(grid);
    }
    if (!continueFlag) {
        continueFlag = true;
        return {};
    }
    if (grid.kind == TTableKind::User && !m_state.admin)
        return {};
    return m_general.BeginEdit(grid, grid.col, grid.row, QChar(), TEditStart::Continue);
}

TEditRequest TEditClass::AfterChoiceEnter(TDataGrid& grid) {
    if (grid.kind == TTableKind::Dolg &&
        (grid.col == grid.UserColumn || grid.col == grid.UserColumn - 1 || grid.col == grid.ColumnCount() - 1))
        return {};
    m_general.NextCell(grid);
    if (grid.kind == TTableKind::Transfer)
        m_general.NextCell(grid);
    return m_general.BeginEdit(grid, grid.col, grid.row, QChar(), TEditStart::Continue);
}

TEditRequest TEditClass::AfterDateEnter(TDataGrid& grid) {
    m_general.NextCell(grid);
    if (grid.kind == TTableKind::Dolg) {
        const TTableRow* row = grid.RowAt(grid.row);
        if (row && IsNotBlank(row->Cell(grid.col)))
            return {};
    }
    return m_general.BeginEdit(grid, grid.col, grid.row, QChar(), TEditStart::Continue);
}

void TEditClass::MoveAfterArrow(TDataGrid& grid, int delta, const QString& editorText) {
    if (!CheckFormula(editorText))
        return;
    if (delta > 0 && grid.row == grid.GridRowCount() - 1)
        m_general.EnsureNewRow(grid);
    grid.row = std::clamp(grid.row + delta, 1, std::max(1, grid.GridRowCount() - 1));
    grid.NotifySelection();
}

bool TEditClass::NormaliseAllDates() {
    if (m_state.Table(TTableKind::Rashod).RowCount() == 0)
        return false;
    auto rewrite = [](TMemTable& table, const QString& schema) {
        for (int r = 0; r < table.RowCount(); ++r) {
            TTableRow* row = table.Row(r);
            for (int c = 0; c < schema.size(); ++c) {
                if (schema[c] != u'D')
                    continue;
                const QString cell = row->Cell(c);
                if (cell.isEmpty())
                    continue;
                const QString canonical = FormatDate(ParseDateSystem(cell));
                if (canonical != cell)
                    row->SetCell(c, canonical);
            }
        }
    };
    for (TTableKind kind : LedgerKinds())
        rewrite(m_state.Table(kind), TableDef(kind).schema);
    rewrite(m_state.Table(TTableKind::Transfer), TableDef(TTableKind::Transfer).schema);
    for (auto& table : m_state.returns)
        if (table)
            rewrite(*table, TableDef(TTableKind::Returns).schema);
    for (TTableKind kind : LedgerKinds())
        m_state.Grid(kind).NotifyCells();
    return true;
}
