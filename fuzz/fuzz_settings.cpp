// Any bytes as a settings file: parsing, reading and writing back must never crash.
#include "storage/tinistorage.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TIniStorage ini;
    if (!ini.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)))) return 0;
    ini.ReadString(QStringLiteral("User"), QStringLiteral("LastUser"), QString());
    ini.ReadInteger(QStringLiteral("MainForm"), QStringLiteral("Width"), 0);
    ini.WriteString(QStringLiteral("user"), QStringLiteral("lastuser"), QStringLiteral("x"));
    TIniStorage again;
    again.LoadFromBytes(ini.ToBytes());
    return 0;
}
