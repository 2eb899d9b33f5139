#include "backup/tzipstructure.h"

namespace {

void Put16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

void Put32(QByteArray& out, quint32 v) {
    Put16(out, quint16(v & 0xFFFF));
    Put16(out, quint16(v >> 16));
}

} // namespace

quint16 TZipStructure::Get16(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return quint16(b[0] | (b[1] << 8));
}

quint32 TZipStructure::Get32(const char* p) {
    return quint32(Get16(p)) | (quint32(Get16(p + 2)) << 16);
}

void TZipStructure::Set32(char* p, quint32 v) {
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

void TZipStructure::AppendLocalHeader(QByteArray& out, const TZipItem& item) {
    const QByteArray name = item.EncodedName();
    Put32(out, LocalSignature);
    Put16(out, Version);
    Put16(out, item.Flags);
    Put16(out, item.Method);
    Put16(out, item.DosTime);
    Put16(out, item.DosDate);
    Put32(out, item.Crc);
    Put32(out, item.CompressedSize);
    Put32(out, item.UncompressedSize);
    Put16(out, quint16(name.size()));
    Put16(out, 0);
    out.append(name);
}

void TZipStructure::AppendCentralHeader(QByteArray& out, const TZipItem& item) {
    const QByteArray name = item.EncodedName();
    Put32(out, CentralSignature);
    out.append(char(Version));
    out.append(char(0)); // MS-DOS
    Put16(out, Version);
    Put16(out, item.Flags);
    Put16(out, item.Method);
    Put16(out, item.DosTime);
    Put16(out, item.DosDate);
    Put32(out, item.Crc);
    Put32(out, item.CompressedSize);
    Put32(out, item.UncompressedSize);
    Put16(out, quint16(name.size()));
    Put16(out, 0); // extra field
    Put16(out, 0); // comment
    Put16(out, 0); // disk number start
    Put16(out, 0); // internal attributes
    Put32(out, 0); // external attributes
    Put32(out, item.LocalOffset);
    out.append(name);
}

void TZipStructure::AppendEndRecord(QByteArray& out, quint64 entries, quint64 directorySize,
                                    quint64 directoryOffset) {
    const quint16 count = entries >= 0xFFFF ? 0xFFFF : quint16(entries);
    Put32(out, EndSignature);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, count);
    Put16(out, count);
    Put32(out, ZipSize32(directorySize));
    Put32(out, ZipSize32(directoryOffset));
    Put16(out, 0);
}

void TZipStructure::ReadLocalHeader(const char* p, TZipItem& item, int& nameSize, int& extraSize) {
    item.Flags = Get16(p + 6);
    item.Method = Get16(p + 8);
    item.DosTime = Get16(p + 10);
    item.DosDate = Get16(p + 12);
    item.Crc = Get32(p + 14);
    item.CompressedSize = Get32(p + 18);
    item.UncompressedSize = Get32(p + 22);
    nameSize = Get16(p + 26);
    extraSize = Get16(p + 28);
}

void TZipStructure::ReadCentralHeader(const char* p, TZipItem& item, int& nameSize, int& extraSize,
                                      int& commentSize) {
    item.HostSystem = quint8(p[5]);
    item.Flags = Get16(p + 8);
    item.Method = Get16(p + 10);
    item.DosTime = Get16(p + 12);
    item.DosDate = Get16(p + 14);
    item.Crc = Get32(p + 16);
    item.CompressedSize = Get32(p + 20);
    item.UncompressedSize = Get32(p + 24);
    nameSize = Get16(p + 28);
    extraSize = Get16(p + 30);
    commentSize = Get16(p + 32);
    item.ExternalAttributes = Get32(p + 38);
    item.LocalOffset = Get32(p + 42);
}

TZipStructure::TEndRecord TZipStructure::ReadEndRecord(const char* p) {
    TEndRecord r;
    r.entries = Get16(p + 10);
    r.directorySize = Get32(p + 12);
    r.directoryOffset = Get32(p + 16);
    r.commentSize = Get16(p + 20);
    return r;
}

QString TZipStructure::SignatureError(quint32 signature, quint64 position) {
    return QString::number(signature, 16).toUpper().rightJustified(8, QLatin1Char('0')) + QLatin1Char(' ') +
           QString::number(position);
}
