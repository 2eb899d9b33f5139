#include "storage/tmemtable.h"

#include "storage/atomicfile.h"
#include "storage/ttabledelta.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cstring>

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

// The live tables by number. Tables are made and dropped on the program's one thread.
struct TTableNumbers {
    std::vector<TMemTable*> tables;
    std::vector<quint32> free;
};

TTableNumbers& Numbers() {
    static TTableNumbers* numbers = new TTableNumbers; // never destroyed: tables may outlive statics
    return *numbers;
}

} // namespace

TMemTable::TMemTable() {
    TTableNumbers& n = Numbers();
    if (n.free.empty()) {
        m_number = quint32(n.tables.size());
        n.tables.push_back(this);
    } else {
        m_number = n.free.back();
        n.free.pop_back();
        n.tables[m_number] = this;
    }
}

TMemTable::~TMemTable() {
    TTableNumbers& n = Numbers();
    n.tables[m_number] = nullptr;
    n.free.push_back(m_number);
}

static_assert(sizeof(TTableRow) == 8, "a row is counted in millions: keep it small");

TMemTable& TTableRow::Table() const {
    return *Numbers().tables[m_table];
}

namespace {

// Row stamps are unique over the whole program, so that a row that takes the place of a deleted one
// never carries the stamp of its predecessor.
std::atomic<quint64> g_lastStamp{0};

quint64 NewStamp() {
    return g_lastStamp.fetch_add(1, std::memory_order_relaxed) + 1;
}

constexpr qsizetype kStampSize = sizeof(quint64);

} // namespace

bool TTableRow::Slot(const char*& p, qsizetype& capacity) const {
    if (m_slot < 0) return false;
    const QByteArray& data = Table().m_data;
    const char* slot = data.constData() + m_slot;
    qsizetype pos = 0;
    quint32 room = 0;
    if (!ReadVarint(slot, data.size() - m_slot, pos, room)) return false;
    p = slot + pos + (m_stamped ? kStampSize : 0);
    capacity = qsizetype(room);
    return true;
}

quint64 TTableRow::Stamp() const {
    const char* p = nullptr;
    qsizetype capacity = 0;
    if (!m_stamped || !Slot(p, capacity)) return Table().m_loadStamp;
    quint64 stamp = 0;
    std::memcpy(&stamp, p - kStampSize, sizeof stamp);
    return stamp;
}

QByteArrayView TTableRow::Bytes() const {
    const char* p = nullptr;
    qsizetype capacity = 0;
    if (!Slot(p, capacity)) return {};
    return QByteArrayView(p, capacity);
}

void TTableRow::AppendSlot(QByteArrayView bytes) {
    QByteArray& data = Table().m_data;
    const quint64 stamp = NewStamp();
    m_slot = qint32(data.size());
    m_stamped = 1;
    AppendVarint(data, quint32(bytes.size()));
    data.append(reinterpret_cast<const char*>(&stamp), kStampSize);
    data.append(bytes.data(), bytes.size());
}

bool TTableRow::Header(const char*& p, const char*& end, quint32& count) const {
    qsizetype capacity = 0;
    if (!Slot(p, capacity)) return false;
    end = p + capacity;
    qsizetype pos = 0;
    if (!ReadVarint(p, capacity, pos, count)) return false;
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
    if (TTableDelta* delta = Table().Recording()) {
        // A row typed into several times in one change is kept once, as it was and as it ends.
        auto* last =
            delta->m_steps.empty() ? nullptr : std::get_if<TTableDelta::TEncoded>(&delta->m_steps.back());
        if (last && last->row == this)
            last->after = enc;
        else
            delta->m_steps.push_back(TTableDelta::TEncoded{this, Encoding(), enc});
    }
    WriteEncoding(enc);
}

void TTableRow::WriteEncoding(QByteArrayView enc) {
    TMemTable& table = Table();
    ++table.m_version;
    const char* p = nullptr;
    qsizetype capacity = 0;
    // A slot the program wrote is rewritten in place with a new stamp; a row still in its slot from
    // the file, which has no room for one, moves to a new slot at the end.
    if (m_stamped && Slot(p, capacity) && enc.size() <= capacity) {
        const qsizetype at = p - table.m_data.constData();
        char* d = table.m_data.data() + at;
        const quint64 stamp = NewStamp();
        std::memcpy(d - kStampSize, &stamp, sizeof stamp);
        std::copy(enc.begin(), enc.end(), d);
        return;
    }
    AppendSlot(enc);
}

TTableDelta* TMemTable::DeltaBeingRecorded() const {
    return m_recorder ? m_recorder->Recording() : nullptr;
}

TTableDelta* TMemTable::Recording() const {
    return m_recorder ? m_recorder->ChangeMade() : nullptr;
}

void TMemTable::Clear() {
    if (TTableDelta* delta = Recording()) {
        // The rows stay where they are, for the delta to put back.
        ++m_version;
        delta->m_steps.push_back(TTableDelta::TListed{this, std::move(m_rows), {}});
        m_rows.clear();
        return;
    }
    ++m_version;
    m_rows.clear();
    m_blocks.clear();
    m_blockUsed = m_blockSize = 0;
    m_freeRows.clear();
    m_data.clear();
}

TTableRow* TMemTable::NewRow(qsizetype expected) {
    TTableRow* row = nullptr;
    if (!m_freeRows.empty()) {
        row = m_freeRows.back();
        m_freeRows.pop_back();
    } else {
        if (m_blockUsed == m_blockSize) {
            // Blocks grow with the table; a table read from a file gets one block for all its rows.
            constexpr qsizetype kSmallest = 8, kLargest = 4096;
            m_blockSize = std::max(expected, std::clamp(qsizetype(m_rows.size()) / 2, kSmallest, kLargest));
            m_blocks.push_back(std::unique_ptr<TTableRow[]>(new TTableRow[size_t(m_blockSize)]));
            m_blockUsed = 0;
        }
        row = &m_blocks.back()[size_t(m_blockUsed++)];
    }
    *row = TTableRow(m_number);
    return row;
}

TTableRow* TMemTable::Row(int index) const {
    if (index < 0 || index >= RowCount()) return nullptr;
    return m_rows[size_t(index)];
}

TTableRow* TMemTable::InsertRow(int index) {
    if (index < 0 || index > RowCount()) return nullptr;
    ++m_version;
    TTableRow* row = NewRow();
    row->AppendSlot({}); // no room yet, but a stamp of its own
    m_rows.insert(m_rows.begin() + index, row);
    if (TTableDelta* delta = Recording()) delta->m_steps.push_back(TTableDelta::TInserted{this, index, row});
    return row;
}

void TMemTable::DeleteRow(int index) {
    if (index < 0 || index >= RowCount()) return;
    ++m_version;
    TTableRow* row = m_rows[size_t(index)];
    if (TTableDelta* delta = Recording())
        delta->m_steps.push_back(TTableDelta::TDeleted{this, {index}, {row}});
    else
        m_freeRows.push_back(row);
    m_rows.erase(m_rows.begin() + index);
}

void TMemTable::DeleteRows(const std::vector<int>& indices) {
    if (indices.empty()) return;
    ++m_version;
    TTableDelta* delta = Recording();
    TTableDelta::TDeleted deleted{this, {}, {}};
    size_t next = 0, kept = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        while (next < indices.size() && (indices[next] < 0 || size_t(indices[next]) < i))
            ++next;
        if (next < indices.size() && size_t(indices[next]) == i) {
            if (delta) {
                deleted.indices.push_back(int(i));
                deleted.rows.push_back(m_rows[i]);
            } else {
                m_freeRows.push_back(m_rows[i]);
            }
            continue;
        }
        m_rows[kept++] = m_rows[i];
    }
    m_rows.resize(kept);
    if (delta && !deleted.rows.empty()) delta->m_steps.push_back(std::move(deleted));
}

void TMemTable::MoveRow(int from, int to) {
    if (from < 0 || from >= RowCount() || to < 0 || to >= RowCount() || from == to) return;
    ++m_version;
    if (TTableDelta* delta = Recording()) delta->m_steps.push_back(TTableDelta::TMoved{this, from, to});
    // Only the rows between the two places shift, not the rest of a long table.
    const auto at = [this](int i) { return m_rows.begin() + i; };
    if (from < to)
        std::rotate(at(from), at(from + 1), at(to + 1));
    else
        std::rotate(at(to), at(from), at(from + 1));
}

void TMemTable::Reorder(const std::vector<int>& order) {
    if (order.size() != m_rows.size()) return;
    ++m_version;
    std::vector<TTableRow*> rows(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        rows[i] = m_rows[size_t(order[i])];
    if (TTableDelta* delta = Recording()) delta->m_steps.push_back(TTableDelta::TListed{this, m_rows, rows});
    m_rows = std::move(rows);
}

bool TMemTable::LoadFromBytes(const QByteArray& bytes) {
    if (TTableDelta* delta = Recording()) {
        // Read after what the table holds, so that the rows it had stay whole for the delta.
        std::vector<TTableRow*> before = std::move(m_rows);
        m_rows.clear();
        ++m_version;
        const qsizetype base = m_data.size();
        m_data.append(bytes);
        m_loadStamp = NewStamp();
        bool whole = true;
        for (qsizetype pos = base; pos < m_data.size();) {
            const qsizetype slot = pos;
            quint32 n = 0;
            if (!ReadVarint(m_data.constData(), m_data.size(), pos, n) || n == 0 ||
                n > quint64(m_data.size() - pos)) {
                whole = false;
                break;
            }
            TTableRow* row = NewRow();
            row->m_slot = qint32(slot);
            m_rows.push_back(row);
            pos += n;
        }
        delta->m_steps.push_back(TTableDelta::TListed{this, std::move(before), m_rows});
        return whole;
    }
    Clear();
    m_data = bytes;
    const char* p = m_data.constData();
    const qsizetype size = m_data.size();
    // The rows are counted first, so that the row list and the rows take just their room (and a little
    // more for the new-record row and the first records typed).
    qsizetype rows = 0;
    for (qsizetype pos = 0; pos < size; ++rows) {
        quint32 n = 0;
        if (!ReadVarint(p, size, pos, n) || n == 0 || n > quint64(size - pos)) break;
        pos += n;
    }
    m_rows.reserve(size_t(rows + 1 + rows / 256));
    m_loadStamp = NewStamp();
    qsizetype pos = 0;
    while (pos < size) {
        const qsizetype slot = pos;
        quint32 n = 0;
        if (!ReadVarint(p, size, pos, n) || n == 0 || n > quint64(size - pos)) return false;
        TTableRow* row = NewRow(rows);
        row->m_slot = qint32(slot);
        m_rows.push_back(row);
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

QByteArray TTableRow::Encoding() const {
    const char* p = nullptr;
    qsizetype capacity = 0;
    if (!Slot(p, capacity)) return QByteArray();
    const qsizetype len = EncodedLength(p, capacity);
    return len < 0 ? QByteArray() : QByteArray(p, len);
}

QByteArray TMemTable::RowEncoding(int index) const {
    const TTableRow* row = Row(index);
    return row ? row->Encoding() : QByteArray();
}

QByteArray TMemTable::ToBytes() const {
    QByteArray out;
    out.reserve(m_data.size());
    for (const TTableRow* row : m_rows) {
        const char* p = nullptr;
        qsizetype capacity = 0;
        if (!row->Slot(p, capacity)) {
            out.append("\x01\x00", 2);
            continue;
        }
        // The row's true length: its encoding without the slack at the end of its slot (a broken
        // encoding is written back as it was read).
        const qsizetype pos = EncodedLength(p, capacity);
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
