#pragma once

#include <QChar>

class TDataGrid;

// Enter and a double-click (no first key) open nothing in a debt's user column: that cell is the
// logged-in user's name, written by the row's commit. A typed key still goes to the edit rules.
bool DebtCellStartsNoEdit(const TDataGrid& grid, int column, QChar firstKey);
