#include "tablefilereader.h"

#include <QFile>

#include <optional>

namespace {

class TCursor {
public:
    TCursor(const QByteArray& bytes, qsizetype from, qsizetype to) : m_bytes(bytes), m_pos(from), m_end(to) {}

    bool AtEnd() const { return m_pos == m_end; }
    qsizetype Left() const { return m_end - m_pos; }
    qsizetype Pos() const { return m_pos; }
    void Skip(qsizetype n) { m_pos += n; }

    // An unsigned LEB128 varint of at most five bytes that fits 32 bits.
    std::optional<quint32> Varint() {
        quint64 value = 0;
        for (int i = 0; i < 5; ++i) {
            if (m_pos >= m_end) return std::nullopt;
            const quint8 b = quint8(m_bytes[m_pos++]);
            value |= quint64(b & 0x7F) << (7 * i);
            if (!(b & 0x80))
                return value <= 0xFFFFFFFFu ? std::optional<quint32>(quint32(value)) : std::nullopt;
        }
        return std::nullopt;
    }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos;
    qsizetype m_end;
};

// UTF-8 as the format reads it: one- to four-byte sequences, values above 0xFFFF as surrogate pairs,
// and the surrogates the writer encodes one by one taken as they come.
std::optional<QString> DecodeCell(const QByteArray& bytes, qsizetype from, qsizetype length) {
    QString text;
    const qsizetype end = from + length;
    for (qsizetype i = from; i < end;) {
        const quint8 lead = quint8(bytes[i]);
        int more = 0;
        quint32 value = 0;
        if (lead < 0x80) {
            value = lead;
        } else if (lead >= 0xC0 && lead <= 0xDF) {
            more = 1;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF7) {
            more = 3;
            value = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + more >= end) return std::nullopt;
        for (int k = 1; k <= more; ++k) {
            const quint8 b = quint8(bytes[i + k]);
            if ((b & 0xC0) != 0x80) return std::nullopt;
            value = (value << 6) | (b & 0x3F);
        }
        i += more + 1;
        if (value > 0x10FFFF) return std::nullopt;
        if (value > 0xFFFF) {
            text += QChar(char16_t(0xD800 + ((value - 0x10000) >> 10)));
            text += QChar(char16_t(0xDC00 + ((value - 0x10000) & 0x3FF)));
        } else {
            text += QChar(char16_t(value));
        }
    }
    return text;
}

QString At(qsizetype pos) {
    return QStringLiteral(" at byte %1").arg(pos);
}

} // namespace

TTableFile ReadTableBytes(const QByteArray& bytes) {
    TTableFile out;
    TCursor file(bytes, 0, bytes.size());
    while (!file.AtEnd()) {
        const qsizetype start = file.Pos();
        const std::optional<quint32> length = file.Varint();
        if (!length) {
            out.error = QStringLiteral("a row length that is no varint") + At(start);
            return out;
        }
        if (*length == 0 || qsizetype(*length) > file.Left()) {
            out.error =
                QStringLiteral("a row length of %1 with %2 bytes left").arg(*length).arg(file.Left()) +
                At(start);
            return out;
        }
        TCursor row(bytes, file.Pos(), file.Pos() + *length);
        file.Skip(*length);
        const std::optional<quint32> cells = row.Varint();
        if (!cells) {
            out.error = QStringLiteral("a cell count that is no varint") + At(start);
            return out;
        }
        QStringList rowCells;
        for (quint32 c = 0; c < *cells; ++c) {
            const std::optional<quint32> size = row.Varint();
            if (!size || qsizetype(*size) > row.Left()) {
                out.error = QStringLiteral("cell %1 runs past its row").arg(c) + At(start);
                return out;
            }
            const std::optional<QString> text = DecodeCell(bytes, row.Pos(), *size);
            if (!text) {
                out.error = QStringLiteral("cell %1 is no UTF-8").arg(c) + At(start);
                return out;
            }
            rowCells << *text;
            row.Skip(*size);
        }
        if (!row.AtEnd()) {
            out.error = QStringLiteral("%1 bytes after the cells of a row").arg(row.Left()) + At(start);
            return out;
        }
        out.rows.push_back(rowCells);
    }
    return out;
}

TTableFile ReadTableFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {{}, QStringLiteral("no file to read")};
    return ReadTableBytes(file.readAll());
}
