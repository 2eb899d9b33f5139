#include "money/rowcells.h"

#include "storage/textrules.h"
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
    const TTableRow* r = table.Row(row);
    if (!r) return 0;
    const QByteArrayView bytes = r->Bytes();
    const char* p = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    quint32 count = 0;
    if (!memtable::ReadVarint(p, size, pos, count)) return 0;
    const int n = int(std::min<quint32>(count, quint32(std::max(columns, 0))));
    if (m_bytes.size() < size_t(n)) {
        m_bytes.resize(size_t(n));
        m_cells.resize(size_t(n));
        m_decoded.resize(size_t(n));
    }
    bool broken = false;
    for (int k = 0; k < n; ++k) {
        TCell& cell = m_bytes[size_t(k)];
        quint32 len = 0;
        if (!broken && ReadLength(p, size, pos, len) && len <= quint64(size - pos)) {
            cell = {p + pos, qsizetype(len)};
            pos += len;
        } else {
            broken = true;
            cell = {};
        }
        m_decoded[size_t(k)] = false;
    }
    m_count = n;
    return n;
}

const QString& TRowCells::Value(int i) const {
    static const QString empty;
    if (i < 0 || i >= m_count) return empty;
    QString& text = m_cells[size_t(i)];
    if (!m_decoded[size_t(i)]) {
        const TCell& cell = m_bytes[size_t(i)];
        if (!memtable::DecodeCellText(cell.data, cell.size, text)) text.clear();
        m_decoded[size_t(i)] = true;
    }
    return text;
}

bool TRowCells::Blank(int i) const {
    const QByteArrayView bytes = Bytes(i);
    if (!IsAsciiBytes(bytes)) return IsBlank(Value(i));
    for (char b : bytes)
        if (!IsBlankChar(QChar(static_cast<unsigned char>(b)))) return false;
    return true;
}

QByteArrayView TRowCells::Bytes(int i) const {
    if (i < 0 || i >= m_count) return {};
    const TCell& cell = m_bytes[size_t(i)];
    return QByteArrayView(cell.data, cell.size);
}
