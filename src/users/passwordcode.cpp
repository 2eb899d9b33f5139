#include "users/passwordcode.h"

#include "storage/codepage.h"

#include <QByteArray>

#include <zlib.h>

namespace {

QByteArray Utf16LeBytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        bytes.append(char(u & 0xFF));
        bytes.append(char(u >> 8));
    }
    return bytes;
}

QString CrcText(const QByteArray& bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size()));
    return QString::number(quint32(crc));
}

} // namespace

QString PasswordCode(const QString& password) {
    return CrcText(Utf16LeBytes(password));
}

QString HalfFormPasswordCode(const QString& password) {
    return CrcText(Utf16LeBytes(password).left(password.size()));
}

QString OneBytePasswordCode(const QString& password) {
    return CrcText(ToCp1251(password));
}

TPasswordCheck CheckPassword(const QString& typed, const QString& storedCode) {
    if (PasswordCode(typed) == storedCode) return TPasswordCheck::Accepted;
    if (HalfFormPasswordCode(typed) == storedCode || OneBytePasswordCode(typed) == storedCode)
        return TPasswordCheck::AcceptedRewrite;
    return TPasswordCheck::Refused;
}
