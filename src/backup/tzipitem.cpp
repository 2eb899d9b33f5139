#include "backup/tzipitem.h"

#include "storage/codepage.h"

#include <QStringDecoder>
#include <QStringList>

QByteArray TZipItem::EncodedName() const {
    QString name = Name;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return (Flags & FlagUtf8) ? name.toUtf8() : ToCp866(name);
}

namespace {

// Info-ZIP and most tools on Linux store the bytes of a UTF-8 name without setting the flag. Cyrillic
// in CP866 is hardly ever valid UTF-8, so such a name is taken as UTF-8; plain ASCII reads alike in both.
bool LooksUtf8(const QByteArray& raw, QString& decoded) {
    bool ascii = true;
    for (char c : raw)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    decoded = utf8.decode(raw);
    return !utf8.hasError() && !decoded.contains(QChar::ReplacementCharacter);
}

} // namespace

void TZipItem::SetEncodedName(const QByteArray& raw) {
    QString name;
    if (Flags & FlagUtf8)
        name = QString::fromUtf8(raw);
    else if (!LooksUtf8(raw, name))
        name = FromCp866(raw);
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    IsFolder = name.endsWith(QLatin1Char('/'));
    while (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    Name = name;
}

void TZipItem::SetTime(const QDateTime& local) {
    const QDateTime t = local.toLocalTime();
    QDate d = t.date();
    QTime tm = t.time();
    if (!d.isValid() || d.year() < 1980) {
        d = QDate(1980, 1, 1);
        tm = QTime(0, 0, 0);
    } else if (d.year() > 2107) {
        d = QDate(2107, 12, 31);
        tm = QTime(23, 59, 58);
    }
    DosDate = quint16((d.year() - 1980) * 512 + d.month() * 32 + d.day());
    DosTime = quint16(tm.hour() * 2048 + tm.minute() * 32 + tm.second() / 2);
}

QDateTime TZipItem::Time() const {
    const QDate d(1980 + (DosDate >> 9), (DosDate >> 5) & 15, DosDate & 31);
    const QTime t(DosTime >> 11, (DosTime >> 5) & 63, (DosTime & 31) * 2);
    if (!d.isValid() || !t.isValid()) return {};
    return QDateTime(d, t, Qt::LocalTime);
}

bool TZipItem::SafeRelativePath(QString& relative) const {
    if (Name.isEmpty() || Name.startsWith(QLatin1Char('/'))) return false;
    QStringList parts;
    for (const QString& part : Name.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) return false;
        for (QChar c : part)
            // A colon is a drive letter or a stream name where the archives come from.
            if (c.unicode() < 0x20 || c == QLatin1Char(':')) return false;
        parts << part;
    }
    if (parts.isEmpty()) return false;
    relative = parts.join(QLatin1Char('/'));
    return true;
}

quint32 ZipSize32(quint64 value) {
    return value >= 0xFFFFFFFFull ? 0xFFFFFFFFu : quint32(value);
}
