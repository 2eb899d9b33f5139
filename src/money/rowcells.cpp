#include "money/rowcells.h"

#include "storage/tmemtable.h"

#include <algorithm>

namespace {

// Almost every length fits in one byte: that case is read here, the rest by the table's reader.
inline bool ReadLength(const char* p, qsizetype size, qsizetype& pos, quint32& value) {
    if (pos < size && static_cast<unsigned char>(p[pos]) < 0x80) {
        value = static_cast<unsigned char>(p[pos++]);
        return true;
    }
    return memtable::ReadVarint(p, size, pos, value);
}

} // namespace

int TRowCells::Read(const TMemTable& table, int row, int columns) {
    m_count = 0;
    const QByteArray bytes = table.RowEncoding(row);
    const char* p = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    quint32 count = 0;
    if (!memtable::ReadVarint(p, size, pos, count)) return 0;
    const int n = int(std::min<quint32>(count, quint32(std::max(columns, 0))));
    if (m_cells.size() < size_t(n)) m_cells.resize(size_t(n));
    bool broken = false;
    for (int k = 0; k < n; ++k) {
        QString& cell = m_cells[size_t(k)];
        quint32 len = 0;
        if (!broken && ReadLength(p, size, pos, len) && len <= quint64(size - pos)) {
            if (!memtable::DecodeCellText(p + pos, len, cell)) cell.clear();
            pos += len;
        } else {
            broken = true;
            cell.clear();
        }
    }
    m_count = n;
    return n;
}

const QString& TRowCells::Value(int i) const {
    static const QString empty;
    return i >= 0 && i < m_count ? m_cells[size_t(i)] : empty;
}
