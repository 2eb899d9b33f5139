#pragma once

#include <QString>

// Password codes: the decimal text of the CRC-32 of the password. The full form, over the password's
// UTF-16 little-endian bytes, is the only one the program writes; the half form (the first N bytes
// for N characters) and the one-byte form (Windows-1251) come from user tables of earlier versions.
QString PasswordCode(const QString& password);
QString HalfFormPasswordCode(const QString& password);
QString OneBytePasswordCode(const QString& password);

enum class TPasswordCheck {
    Refused,
    Accepted,
    AcceptedRewrite, // accepted through an older form: the stored code must become the full form
};

// Codes are compared as exact texts, the full form first.
TPasswordCheck CheckPassword(const QString& typed, const QString& storedCode);
inline bool IsAccepted(TPasswordCheck check) {
    return check != TPasswordCheck::Refused;
}
