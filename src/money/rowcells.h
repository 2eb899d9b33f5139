#pragma once

#include <QString>

#include <vector>

class TMemTable;

// The cells of one table row at a time, decoded into strings that are reused from row to row: the
// filters and the search read every row of a table and would otherwise make a string per cell.
// Cells read as the table reads them: an undecodable cell is empty, and so is everything after a
// broken length.
class TRowCells {
public:
    // Reads the row's first `columns` cells (fewer when the row has fewer); returns how many.
    int Read(const TMemTable& table, int row, int columns);
    int Count() const { return m_count; }
    // Empty for a cell the row does not have.
    const QString& Value(int i) const;
    const QString& operator[](int i) const { return m_cells[size_t(i)]; }

private:
    std::vector<QString> m_cells;
    int m_count = 0;
};
