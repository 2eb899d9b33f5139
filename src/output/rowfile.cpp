#include "output/rowfile.h"

#include "storage/codepage.h"

#include <QFile>

namespace {

const QByteArray kRowEnd("\r");
const QByteArray kEmptyCell(" ");
const QByteArray kEmptyTableCell("  ");

void AppendItem(QByteArray& out, const QByteArray& text) {
    const quint32 n = quint32(text.size());
    const char length[4] = {char(n & 0xFF), char((n >> 8) & 0xFF), char((n >> 16) & 0xFF),
                            char((n >> 24) & 0xFF)};
    out.append(length, 4);
    out.append(text);
}

bool IsEmptyTableRow(const std::vector<QByteArray>& cells) {
    if (cells.empty()) return false;
    for (const QByteArray& c : cells)
        if (c != kEmptyTableCell) return false;
    return true;
}

} // namespace

QByteArray RowFileBytes(const std::vector<QStringList>& rows, int columns) {
    QByteArray out;
    if (rows.empty()) {
        for (int c = 0; c < columns; ++c)
            AppendItem(out, kEmptyTableCell);
        AppendItem(out, kRowEnd);
        return out;
    }
    for (const QStringList& row : rows) {
        for (int c = 0; c < columns; ++c) {
            const QString cell = row.value(c);
            AppendItem(out, cell.isEmpty() ? kEmptyCell : ToCp1251(cell));
        }
        AppendItem(out, kRowEnd);
    }
    return out;
}

bool WriteRowFile(const QString& path, const std::vector<QStringList>& rows, int columns) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray bytes = RowFileBytes(rows, columns);
    if (file.write(bytes) != bytes.size() || !file.flush()) return false;
    file.close();
    return file.error() == QFileDevice::NoError;
}

bool ParseRowFile(const QByteArray& bytes, std::vector<QStringList>& rows, QString& error) {
    rows.clear();
    std::vector<std::vector<QByteArray>> raw;
    std::vector<QByteArray> cells;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 4) {
            error = QStringLiteral("the row file ends inside a length");
            return false;
        }
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + pos);
        const quint64 n = quint64(p[0]) | quint64(p[1]) << 8 | quint64(p[2]) << 16 | quint64(p[3]) << 24;
        pos += 4;
        if (n > quint64(bytes.size() - pos)) {
            error = QStringLiteral("an item of the row file runs past its end");
            return false;
        }
        const QByteArray item = bytes.mid(pos, qsizetype(n));
        pos += qsizetype(n);
        if (item == kRowEnd) {
            raw.push_back(std::move(cells));
            cells.clear();
        } else {
            cells.push_back(item);
        }
    }
    if (!cells.empty()) {
        error = QStringLiteral("the last row of the row file has no end");
        return false;
    }
    if (raw.size() == 1 && IsEmptyTableRow(raw[0])) return true;
    rows.reserve(raw.size());
    for (const auto& r : raw) {
        QStringList row;
        row.reserve(qsizetype(r.size()));
        for (const QByteArray& c : r)
            row << (c == kEmptyCell ? QString() : FromCp1251(c));
        rows.push_back(std::move(row));
    }
    return true;
}

bool ReadRowFile(const QString& path, std::vector<QStringList>& rows, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot open ") + path;
        return false;
    }
    return ParseRowFile(file.readAll(), rows, error);
}
