#pragma once

#include <QString>

// What the logic asks of the window that shows a table: the window implements it, tests fake it.
// A descriptor without a view works all the same; nothing is drawn then.
class IGridView {
public:
    virtual ~IGridView() = default;
    // Everything changed (a filter, a sort, a base opened): the view re-reads all rows.
    virtual void RowsChanged() = 0;
    // Cell texts changed; the row count did not.
    virtual void CellsChanged() = 0;
    // The cells of grid rows first..last changed; the row count did not.
    virtual void RowCellsChanged(int firstGridRow, int lastGridRow) = 0;
    // `count` grid rows were inserted at `firstGridRow`; the rows from there on moved down.
    virtual void RowsInserted(int firstGridRow, int count) = 0;
    // `count` grid rows starting at `firstGridRow` were removed; the rows after them moved up.
    virtual void RowsRemoved(int firstGridRow, int count) = 0;
    // The selection moved (the descriptor holds it); the view shows it and scrolls to it.
    virtual void SelectionChanged() = 0;
};
