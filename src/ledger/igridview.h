#pragma once

#include <QString>

// What the logic asks of the window that shows a table: the window implements it, tests fake it.
// A descriptor without a view works all the same; nothing is drawn then.
class IGridView {
public:
    virtual ~IGridView() = default;
    // The rows (row map, row count) changed: the view re-reads them.
    virtual void RowsChanged() = 0;
    // Cell texts changed; the row count did not.
    virtual void CellsChanged() = 0;
    // The selection moved (the descriptor holds it); the view shows it and scrolls to it.
    virtual void SelectionChanged() = 0;
};
