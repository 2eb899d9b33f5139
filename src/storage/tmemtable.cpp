#include "storage/tmemtable.h"

#include "storage/atomicfile.h"

#include <QFile>

#include <algorithm>
#include <atomic>

namespace memtable {

void AppendVarint(QByteArray& out, quint32 value) {
    while (value >= 0x80) {
        out.append(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.append(static_cast<char>(value));
}

int VarintSize(quint32 value) {
    int n = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++n;
    }
    return n;
}

bool ReadVarint(const char* data, qsizetype size, qsizetype& pos, quint32& value) {
    quint64 v = 0;
    for (int shift = 0, i = 0; i < 5; ++i, shift += 7) {
        if (pos >= size) return false;
        const auto b = static_cast<unsigned char>(data[pos++]);
        v |= quint64(b & 0x7F) << shift;
        if (!(b & 0x80)) {
            if (v > 0xFFFFFFFFull) return false;
            value = static_cast<quint32>(v);
            return true;
        }
    }
    return false;
}

int CellTextSize(const QString& text) {
    int n = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        n += u < 0x80 ? 1 : (u < 0x800 ? 2 : 3);
    }
    return n;
}

void AppendCellText(QByteArray& out, const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            out.append(static_cast<char>(u));
        } else if (u < 0x800) {
            out.append(static_cast<char>(0xC0 | (u >> 6)));
            out.append(static_cast<char>(0x80 | (u & 0x3F)));
        } else {
            out.append(static_cast<char>(0xE0 | (u >> 12)));
            out.append(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
            out.append(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
}

bool DecodeCellText(const char* data, qsizetype size, QString& out) {
    out.resize(size); // never more UTF-16 units than bytes
    QChar* d = out.data();
    qsizetype i = 0;
    while (i < size) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b < 0x80) {
            *d++ = QChar(b);
            ++i;
            continue;
        }
        int extra;
        quint32 v;
        if (b >= 0xC0 && b <= 0xDF) {
            extra = 1;
            v = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            v = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF7) {
            extra = 3;
            v = b & 0x07;
        } else {
            out.clear();
            return false;
        }
        if (i + extra >= size) {
            out.clear();
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(data[i + k]);
            if (c < 0x80 || c > 0xBF) {
                out.clear();
                return false;
            }
            v = (v << 6) | (c & 0x3F);
        }
        i += extra + 1;
        if (v > 0x10FFFF) {
            out.clear();
            return false;
        }
        if (v > 0xFFFF) {
            v -= 0x10000;
            *d++ = QChar(char16_t(0xD800 + (v >> 10)));
            *d++ = QChar(char16_t(0xDC00 + (v & 0x3FF)));
        } else {
            *d++ = QChar(char16_t(v));
        }
    }
    out.resize(d - out.data());
    return true;
}

} // namespace memtable

using namespace memtable;

namespace {

// Row stamps are unique over the whole program, so that a row that takes the place of a deleted one
// never carries the stamp of its predecessor.
std::atomic<quint64> g_lastStamp{0};

quint64 NewStamp() {
    return g_lastStamp.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace

bool TTableRow::Header(const char*& p, const char*& end, quint32& count) const {
    if (m_capacity <= 0) return false;
    const QByteArray& data = m_table->m_data;
    p = data.constData() + m_offset;
    end = p + m_capacity;
    qsizetype pos = 0;
    if (!ReadVarint(p, m_capacity, pos, count)) return false;
    p += pos;
    return true;
}

int TTableRow::CellCount() const {
    const char* p;
    const char* end;
    quint32 count = 0;
    if (!Header(p, end, count)) return 0;
    return int(std::min<qint64>(qint64(count), qint64(end - p))); // a cell takes at least one byte
}

bool TTableRow::TryCell(int i, QString& text) const {
    text.clear();
    const char* p;
    const char* end;
    quint32 count = 0;
    if (i < 0 || !Header(p, end, count) || quint32(i) >= count) return true;
    qsizetype pos = 0;
    const qsizetype size = end - p;
    for (int k = 0;; ++k) {
        quint32 len = 0;
        if (!ReadVarint(p, size, pos, len) || len > quint64(size - pos))
            return false; // the row's encoding is broken
        if (k == i) return DecodeCellText(p + pos, len, text);
        pos += len;
    }
}

QByteArrayView TTableRow::CellBytes(int i) const {
    const char* p;
    const char* end;
    quint32 count = 0;
    if (i < 0 || !Header(p, end, count) || quint32(i) >= count) return {};
    qsizetype pos = 0;
    const qsizetype size = end - p;
    for (int k = 0;; ++k) {
        quint32 len = 0;
        if (!ReadVarint(p, size, pos, len) || len > quint64(size - pos)) return {};
        if (k == i) return QByteArrayView(p + pos, qsizetype(len));
        pos += len;
    }
}

QByteArrayView TTableRow::Bytes() const {
    if (m_capacity <= 0) return {};
    return QByteArrayView(m_table->m_data.constData() + m_offset, m_capacity);
}

QString TTableRow::Cell(int i) const {
    QString text;
    if (!TryCell(i, text)) text.clear();
    return text;
}

QStringList TTableRow::Cells() const {
    QStringList cells;
    const char* p;
    const char* end;
    quint32 count = 0;
    if (!Header(p, end, count)) return cells;
    const qsizetype size = end - p;
    // Every cell takes at least one byte, so a larger count is a broken encoding.
    const quint32 n = std::min<quint32>(count, quint32(size));
    cells.reserve(int(n));
    qsizetype pos = 0;
    bool broken = false;
    for (quint32 k = 0; k < n; ++k) {
        quint32 len = 0;
        QString text;
        if (!broken && ReadVarint(p, size, pos, len) && len <= quint64(size - pos)) {
            if (!DecodeCellText(p + pos, len, text)) text.clear();
            pos += len;
        } else {
            broken = true; // the rest of the row reads as empty cells, never beyond its slot
        }
        cells.append(text);
    }
    return cells;
}

void TTableRow::SetCellCount(int n) {
    if (n < 0) n = 0;
    QStringList cells = Cells();
    while (cells.size() > n)
        cells.removeLast();
    while (cells.size() < n)
        cells.append(QString());
    Encode(cells);
}

void TTableRow::SetCell(int i, const QString& text) {
    if (i < 0 || i >= CellCount()) return;
    QStringList cells = Cells();
    if (i >= cells.size()) return;
    cells[i] = text;
    Encode(cells);
}

void TTableRow::SetCells(const QStringList& cells) {
    Encode(cells);
}

void TTableRow::Encode(const QStringList& cells) {
    QByteArray enc;
    int size = VarintSize(quint32(cells.size()));
    for (const QString& c : cells) {
        const int len = CellTextSize(c);
        size += VarintSize(quint32(len)) + len;
    }
    enc.reserve(size);
    AppendVarint(enc, quint32(cells.size()));
    for (const QString& c : cells) {
        AppendVarint(enc, quint32(CellTextSize(c)));
        AppendCellText(enc, c);
    }
    QByteArray& data = m_table->m_data;
    ++m_table->m_version;
    m_stamp = NewStamp();
    if (enc.size() <= m_capacity) {
        std::copy(enc.cbegin(), enc.cend(), data.begin() + m_offset);
        return;
    }
    AppendVarint(data, quint32(enc.size()));
    m_offset = qint32(data.size());
    m_capacity = qint32(enc.size());
    data.append(enc);
}

void TMemTable::Clear() {
    ++m_version;
    m_rows.clear();
    m_data.clear();
}

TTableRow* TMemTable::Row(int index) const {
    if (index < 0 || index >= RowCount()) return nullptr;
    return m_rows[size_t(index)].get();
}

TTableRow* TMemTable::InsertRow(int index) {
    if (index < 0 || index > RowCount()) return nullptr;
    ++m_version;
    auto row = std::unique_ptr<TTableRow>(new TTableRow(this, NewStamp()));
    TTableRow* raw = row.get();
    m_rows.insert(m_rows.begin() + index, std::move(row));
    return raw;
}

void TMemTable::DeleteRow(int index) {
    if (index < 0 || index >= RowCount()) return;
    ++m_version;
    m_rows.erase(m_rows.begin() + index);
}

void TMemTable::DeleteRows(const std::vector<int>& indices) {
    if (indices.empty()) return;
    ++m_version;
    size_t next = 0, kept = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        while (next < indices.size() && (indices[next] < 0 || size_t(indices[next]) < i))
            ++next;
        if (next < indices.size() && size_t(indices[next]) == i) continue;
        if (kept != i) m_rows[kept] = std::move(m_rows[i]);
        ++kept;
    }
    m_rows.resize(kept);
}

void TMemTable::MoveRow(int from, int to) {
    if (from < 0 || from >= RowCount() || to < 0 || to >= RowCount() || from == to) return;
    ++m_version;
    auto row = std::move(m_rows[size_t(from)]);
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, std::move(row));
}

void TMemTable::Reorder(const std::vector<int>& order) {
    if (order.size() != m_rows.size()) return;
    ++m_version;
    std::vector<std::unique_ptr<TTableRow>> rows(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        rows[i] = std::move(m_rows[size_t(order[i])]);
    m_rows = std::move(rows);
}

bool TMemTable::LoadFromBytes(const QByteArray& bytes) {
    Clear();
    m_data = bytes;
    const char* p = m_data.constData();
    const qsizetype size = m_data.size();
    qsizetype pos = 0;
    // The rows read together share a stamp: they differ by being different rows.
    const quint64 stamp = NewStamp();
    while (pos < size) {
        quint32 n = 0;
        if (!ReadVarint(p, size, pos, n) || n == 0 || n > quint64(size - pos)) return false;
        auto row = std::unique_ptr<TTableRow>(new TTableRow(this, stamp));
        row->m_offset = qint32(pos);
        row->m_capacity = qint32(n);
        m_rows.push_back(std::move(row));
        pos += n;
    }
    return true;
}

bool TMemTable::LoadFromFile(const QString& path) {
    Clear();
    QFile file(path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) return false;
    if (file.size() > 0x7FFFFFFF) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    return LoadFromBytes(bytes);
}

namespace {

// The length of a row's true encoding inside its slot: a broken encoding counts as the whole slot.
qsizetype EncodedLength(const char* p, qsizetype cap) {
    qsizetype pos = 0;
    quint32 count = 0;
    if (!ReadVarint(p, cap, pos, count)) return -1;
    for (quint32 k = 0; k < count; ++k) {
        quint32 len = 0;
        if (!ReadVarint(p, cap, pos, len) || len > quint64(cap - pos)) return cap;
        pos += len;
    }
    return pos;
}

} // namespace

QByteArray TMemTable::RowEncoding(int index) const {
    const TTableRow* row = Row(index);
    if (!row || row->m_capacity <= 0) return QByteArray();
    const char* p = m_data.constData() + row->m_offset;
    const qsizetype len = EncodedLength(p, row->m_capacity);
    return len < 0 ? QByteArray() : QByteArray(p, len);
}

QByteArray TMemTable::ToBytes() const {
    QByteArray out;
    out.reserve(m_data.size());
    for (const auto& row : m_rows) {
        if (row->m_capacity <= 0) {
            out.append("\x01\x00", 2);
            continue;
        }
        // The row's true length: its encoding without the slack at the end of its slot (a broken
        // encoding is written back as it was read).
        const char* p = m_data.constData() + row->m_offset;
        const qsizetype pos = EncodedLength(p, row->m_capacity);
        if (pos < 0) {
            out.append("\x01\x00", 2);
            continue;
        }
        AppendVarint(out, quint32(pos));
        out.append(p, pos);
    }
    return out;
}

bool TMemTable::SaveToFile(const QString& path) const {
    return WriteFileAtomic(path, ToBytes());
}

void TMemTable::AppendFrom(const TMemTable& other) {
    for (int i = 0; i < other.RowCount(); ++i) {
        const QStringList cells = other.Row(i)->Cells();
        AddRow()->SetCells(cells);
    }
}

void TMemTable::CopyFrom(const TMemTable& other) {
    if (&other == this) return;
    Clear();
    AppendFrom(other);
}
