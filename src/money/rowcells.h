#pragma once

#include "storage/tmemtable.h"

#include <QByteArrayView>
#include <QString>

#include <vector>

// The cells of one table row at a time: the filters and the search read every row of a table and
// would otherwise make a string per cell. Reading a row only finds where its cells lie in the table's
// buffer; a cell is decoded (into a string reused from row to row) when its text is asked for, and the
// common questions about plain ASCII cells are answered from their bytes.
// Cells read as the table reads them: an undecodable cell is empty, and so is everything after a
// broken length. What was read stays valid until the table changes.
class TRowCells {
public:
    // Finds the row's first `columns` cells (fewer when the row has fewer); returns how many.
    int Read(const TMemTable& table, int row, int columns);
    int Count() const { return m_count; }
    // Empty for a cell the row does not have.
    const QString& Value(int i) const;
    const QString& operator[](int i) const { return Value(i); }
    // IsBlank(Value(i)), decoding only cells that are not plain ASCII.
    bool Blank(int i) const;
    // The cell's bytes; empty for a cell the row does not have or that lies after a broken length.
    QByteArrayView Bytes(int i) const;

private:
    struct TCell {
        const char* data = nullptr;
        qsizetype size = 0;
    };
    std::vector<TCell> m_bytes;
    mutable std::vector<QString> m_cells;
    mutable std::vector<bool> m_decoded;
    int m_count = 0;
};

// A row as it was when read: the same row with the same stamp holds the same cells, so whatever was
// made from them still holds.
struct TRowKey {
    const TTableRow* row = nullptr;
    quint64 stamp = 0;
    bool operator==(const TRowKey&) const = default;
};
// The key of a table row; an empty key for a row that does not exist.
inline TRowKey RowKey(const TMemTable& table, int row) {
    const TTableRow* r = table.Row(row);
    return {r, r ? r->Stamp() : 0};
}

// Whether the bytes are plain ASCII, which every cell decodes to character by character.
inline bool IsAsciiBytes(QByteArrayView bytes) {
    for (char b : bytes)
        if (static_cast<unsigned char>(b) >= 0x80) return false;
    return true;
}
