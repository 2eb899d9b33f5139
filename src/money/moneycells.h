#pragma once

#include "storage/tabledefs.h"

#include <QString>
#include <QStringList>

#include <vector>

class TDataGrid;
class TMemTable;
class TTableRow;

// Writes a cell, giving the row more cells first when it is too short. A cell that already holds the
// text is not written, so a table that did not really change is not saved again.
void SetCellWidened(TTableRow& row, int column, const QString& text);

// Per-purse sum tables: one row per purse, in purse-table order, with the purse name in cell 0 and a
// sum as float text in `valueColumn`.
// Adds delta to the purse's row; a purse without a row (blank or unknown) changes nothing.
void AddToPerPurse(TMemTable& table, const QString& name, long double delta, int valueColumn = 1);
// The value of a purse's row; 0 when it has none.
long double PerPurseValue(const TMemTable& table, const QString& name, int valueColumn = 1);
// The text of a purse's row as stored; "0" when it has none.
QString PerPurseText(const TMemTable& table, const QString& name, int valueColumn = 1);
// One row per name with "0".
void ResetPerPurse(TMemTable& table, const QStringList& names);
// One row per name, keeping the sum a name already had and giving the others "0".
void AlignPerPurse(TMemTable& table, const QStringList& names);
// Renames a purse's row, and drops a purse's row, wherever a table keeps it.
void RenamePerPurse(TMemTable& table, const QString& from, const QString& to);
void DropPerPurse(TMemTable& table, const QString& name);

// Takes table rows out of a grid's row map and shown flags: entries of removed rows go, entries of
// later rows move up. `removed` is sorted ascending. The view is told: of the rows removed when they
// were shown next to each other, else of a change of every row.
void RemoveRowsFromGrid(TDataGrid& grid, const std::vector<int>& removed);
// Deletes the rows `removed` (sorted ascending) from a table in one pass.
void DeleteTableRows(TMemTable& table, const std::vector<int>& removed);
