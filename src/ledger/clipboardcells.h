#pragma once

#include <QString>

class TDataGrid;

// Ctrl+C and Ctrl+V in a table view: only number and text columns take part; every other
// column ignores both keys.
bool IsClipboardColumn(const TDataGrid& grid, int column);

// The text the editor opens with when the clipboard is pasted into a cell: a number column checks the
// text as a formula and takes its normalised number text, or "error" when the parentheses fail; a
// text the number cell would refuse (no number, a division by zero, too big) opens as it is, for the
// commit to tell why. A text column takes the text as it is.
QString PastedCellText(const TDataGrid& grid, int column, const QString& clipboard);
