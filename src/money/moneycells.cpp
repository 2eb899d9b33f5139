#include "money/moneycells.h"
#include "storage/tabledefs.h"

#include "ledger/tdatagrid.h"
#include "ledger/toperationswithnumbers.h"
#include "storage/tmemtable.h"

#include <algorithm>

void SetCellWidened(TTableRow& row, int column, const QString& text) {
    if (row.CellCount() <= column)
        row.SetCellCount(column + 1);
    else if (row.Cell(column) == text)
        return;
    row.SetCell(column, text);
}

namespace {

TTableRow* PerPurseRow(const TMemTable& table, const QString& name) {
    if (name.isEmpty()) return nullptr;
    for (int i = 0; i < table.RowCount(); ++i) {
        TTableRow* row = table.Row(i);
        if (row->Cell(col::perpurse::Name) == name) return row;
    }
    return nullptr;
}

} // namespace

void AddToPerPurse(TMemTable& table, const QString& name, long double delta, int valueColumn) {
    if (delta == 0) return;
    if (TTableRow* row = PerPurseRow(table, name))
        SetCellWidened(*row, valueColumn, FloatToText(NumberValue(row->Cell(valueColumn)) + delta));
}

long double PerPurseValue(const TMemTable& table, const QString& name, int valueColumn) {
    const TTableRow* row = PerPurseRow(table, name);
    return row ? NumberValue(row->Cell(valueColumn)) : 0;
}

QString PerPurseText(const TMemTable& table, const QString& name, int valueColumn) {
    const TTableRow* row = PerPurseRow(table, name);
    return row ? row->Cell(valueColumn) : QStringLiteral("0");
}

void ResetPerPurse(TMemTable& table, const QStringList& names) {
    table.Clear();
    for (const QString& n : names)
        table.AddRow()->SetCells({n, QStringLiteral("0")});
}

void AlignPerPurse(TMemTable& table, const QStringList& names) {
    std::vector<QStringList> rows;
    rows.reserve(size_t(names.size()));
    for (const QString& n : names) {
        const TTableRow* old = PerPurseRow(table, n);
        rows.push_back(old ? old->Cells() : QStringList{n, QStringLiteral("0")});
    }
    table.Clear();
    for (const QStringList& cells : rows)
        table.AddRow()->SetCells(cells);
}

void RenamePerPurse(TMemTable& table, const QString& from, const QString& to) {
    if (TTableRow* row = PerPurseRow(table, from)) row->SetCell(col::perpurse::Name, to);
}

void DropPerPurse(TMemTable& table, const QString& name) {
    for (int i = table.RowCount() - 1; i >= 0; --i)
        if (table.Row(i)->Cell(col::perpurse::Name) == name) table.DeleteRow(i);
}

void RemoveRowsFromGrid(TDataGrid& grid, const std::vector<int>& removed) {
    if (removed.empty()) return;
    // New index of a table row: its index less the removed rows before it; -1 for a removed row.
    auto newIndex = [&](int r) {
        const auto it = std::lower_bound(removed.begin(), removed.end(), r);
        if (it != removed.end() && *it == r) return -1;
        return r - int(it - removed.begin());
    };
    std::vector<int> map;
    map.reserve(grid.RowMap.size());
    map.push_back(grid.RowMap.empty() ? 0 : grid.RowMap[0]);
    // The grid rows that went, when they are one run: the view is told of just those.
    int firstGone = -1, gone = 0;
    bool oneRun = true;
    for (size_t g = 1; g < grid.RowMap.size(); ++g) {
        const int r = grid.RowMap[g] - 1;
        if (r < 0) {
            map.push_back(0);
            continue;
        }
        const int n = newIndex(r);
        if (n >= 0) {
            map.push_back(n + 1);
            continue;
        }
        if (gone == 0)
            firstGone = int(g);
        else if (firstGone + gone != int(g))
            oneRun = false;
        ++gone;
    }
    grid.RowMap = std::move(map);
    std::vector<bool> shown;
    shown.reserve(grid.shown.size());
    for (size_t r = 0; r < grid.shown.size(); ++r)
        if (newIndex(int(r)) >= 0) shown.push_back(grid.shown[r]);
    grid.shown = std::move(shown);
    if (grid.row >= grid.GridRowCount()) grid.row = std::max(1, grid.GridRowCount() - 1);
    if (oneRun)
        grid.NotifyRowsRemoved(firstGone, gone);
    else
        grid.NotifyRows();
}

void DeleteTableRows(TMemTable& table, const std::vector<int>& removed) {
    if (removed.empty()) return;
    if (removed.size() == 1) {
        table.DeleteRow(removed.front());
        return;
    }
    // Kept rows first in their order, removed rows after them; then the tail is cut off.
    std::vector<int> order;
    order.reserve(size_t(table.RowCount()));
    size_t k = 0;
    for (int r = 0; r < table.RowCount(); ++r) {
        if (k < removed.size() && removed[k] == r)
            ++k;
        else
            order.push_back(r);
    }
    for (int r : removed)
        order.push_back(r);
    table.Reorder(order);
    for (size_t i = 0; i < removed.size(); ++i)
        table.DeleteRow(table.RowCount() - 1);
}
