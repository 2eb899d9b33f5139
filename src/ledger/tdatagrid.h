#pragma once

#include "storage/tabledefs.h"
#include "storage/tmemtable.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class IGridView;

// The criteria of the last accepted "Фильтровать..." dialog. A field the dialog never filled (a null
// date, no sum, an empty text) is stored as an empty field of the settings array.
struct TFilterCriteria {
    QDate from, to;
    std::optional<long double> sumFrom, sumTo;
    QString kind, name, purse, user;

    bool IsEmpty() const {
        return from.isNull() && to.isNull() && !sumFrom && !sumTo && kind.isEmpty() && name.isEmpty() &&
               purse.isEmpty() && user.isEmpty();
    }
};

// The descriptor of one table view: what the grid shows, how it is sorted, its running totals and
// its filter. The table itself belongs to the program-wide state; the view only points at it.
class TDataGrid {
public:
    TDataGrid() = default;
    TDataGrid(const TDataGrid&) = delete;
    TDataGrid& operator=(const TDataGrid&) = delete;

    // Sets the columns and captions from the table's definition.
    void Define(const TTableDef& def);

    int gridId = 0;
    TTableKind kind = TTableKind::Rashod;
    IGridView* view = nullptr;

    int SortColumn = 0;
    bool SortAscending = true;
    QStringList Captions;
    std::vector<TColumnKind> Columns;
    std::vector<int> ColWidths;
    std::vector<int> SizeClasses;
    std::vector<bool> shown; // one flag per table row: shown by the filter

    // Running totals in base units and per purse (rows: purse name, sum as float text).
    long double total = 0;
    TMemTable perPurse;
    long double todayTotal = 0;
    TMemTable perPurseToday;

    int SumColumn = -1;
    int DateColumn = -1;
    int UserColumn = -1;
    int LastRequiredColumn = 0;
    // Grid row -> table row + 1; 0: no table row. Entry 0 belongs to the caption row.
    std::vector<int> RowMap;

    int filterChoice = 0;
    long double filteredTotal = 0;
    bool filterActive = false;
    TMemTable filteredPerPurse;         // name, rate, sum
    TMemTable filteredBorrowedPerPurse; // debts: the borrowed part; filteredPerPurse then holds the lent part
    long double filteredLentTotal = 0;

    QDate DefaultDate;
    TMemTable* Table = nullptr;
    TFilterCriteria criteria;
    QString FileName;

    // The selection: current column and grid row (row 0 is the caption row).
    int col = 0;
    int row = 1;

    int ColumnCount() const { return int(Columns.size()); }
    TColumnKind Column(int column) const {
        return column >= 0 && column < ColumnCount() ? Columns[size_t(column)] : TColumnKind::None;
    }
    // The number of grid rows, the caption row included.
    int GridRowCount() const { return int(RowMap.size()); }
    // The table row a grid row shows; -1 when none.
    int TableRow(int gridRow) const;
    TTableRow* RowAt(int gridRow) const;
    // The grid row that shows a table row; -1 when it is not shown.
    int GridRowOf(int tableRow) const;
    // The row map shows every table row in table order (no filter).
    void ResetRowMap();

    // The whole view is read again: only for changes of every row (a filter, a sort, a base opened).
    void NotifyRows() const;
    void NotifyCells() const;
    // The views follow only what changed, which keeps their scroll position and selection.
    void NotifyRowCells(int firstGridRow, int lastGridRow) const;
    void NotifyRowCells(int gridRow) const { NotifyRowCells(gridRow, gridRow); }
    void NotifyRowsInserted(int firstGridRow, int count) const;
    void NotifyRowsRemoved(int firstGridRow, int count) const;
    void NotifySelection() const;
};

// The descriptor of a kinds list: the table is stored column-wise (a row per kind).
class TDataVidGrid {
public:
    int gridId = 0;
    IGridView* view = nullptr;
    int SortColumn = 0;
    bool SortAscending = true;
    QString FileName;
    int listNumber = 0; // 0 expense kinds, 1 income names
    TMemTable* Table = nullptr;
    int col = 0;
    int row = 1;
};
