#include "backup/tzipitem.h"

#include "storage/codepage.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <ctime>

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

void TZipItem::SetTime(qint64 secsSinceEpoch) {
    // The C library's own conversion: nothing beyond the fields the header stores is worked out.
    const time_t t = time_t(secsSinceEpoch);
    tm local{};
    if (!localtime_r(&t, &local) || local.tm_year + 1900 < 1980) {
        DosDate = quint16(0 * 512 + 1 * 32 + 1);
        DosTime = 0;
        return;
    }
    if (local.tm_year + 1900 > 2107) {
        DosDate = quint16((2107 - 1980) * 512 + 12 * 32 + 31);
        DosTime = quint16(23 * 2048 + 59 * 32 + 58 / 2);
        return;
    }
    DosDate = quint16((local.tm_year + 1900 - 1980) * 512 + (local.tm_mon + 1) * 32 + local.tm_mday);
    DosTime = quint16(local.tm_hour * 2048 + local.tm_min * 32 + std::min(local.tm_sec, 59) / 2);
}

QDateTime TZipItem::Time() const {
    const QDate d(1980 + (DosDate >> 9), (DosDate >> 5) & 15, DosDate & 31);
    const QTime t(DosTime >> 11, (DosTime >> 5) & 63, (DosTime & 31) * 2);
    if (!d.isValid() || !t.isValid()) return {};
    return QDateTime(d, t, Qt::LocalTime);
}

bool TZipItem::IsSymLink() const {
    constexpr quint8 kUnix = 3;
    constexpr quint32 kTypeMask = 0170000, kLink = 0120000;
    return HostSystem == kUnix && ((ExternalAttributes >> 16) & kTypeMask) == kLink;
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
