#pragma once

#include "backup/tzipitem.h"

#include <QByteArray>
#include <QString>

// The fixed parts of a zip file: local and central headers and the end record, as the program
// writes them and as it reads them from archives of any origin.
class TZipStructure {
public:
    static constexpr quint32 LocalSignature = 0x04034B50;
    static constexpr quint32 CentralSignature = 0x02014B50;
    static constexpr quint32 EndSignature = 0x06054B50;
    static constexpr quint32 DescriptorSignature = 0x08074B50;
    static constexpr int LocalSize = 30;
    static constexpr int CentralSize = 46;
    static constexpr int EndSize = 22;
    static constexpr quint16 Version = 20;

    struct TEndRecord {
        quint32 entries = 0;
        quint32 directorySize = 0;
        quint32 directoryOffset = 0;
        quint16 commentSize = 0;
    };

    // The local header with its name, as written before the entry's data.
    static void AppendLocalHeader(QByteArray& out, const TZipItem& item);
    static void AppendCentralHeader(QByteArray& out, const TZipItem& item);
    static void AppendEndRecord(QByteArray& out, quint64 entries, quint64 directorySize,
                                quint64 directoryOffset);

    // Readers of a header at p, whose signature has been checked. nameSize and the other lengths
    // tell how many bytes follow the fixed part; the name itself is set with SetEncodedName.
    static void ReadLocalHeader(const char* p, TZipItem& item, int& nameSize, int& extraSize);
    static void ReadCentralHeader(const char* p, TZipItem& item, int& nameSize, int& extraSize,
                                  int& commentSize);
    static TEndRecord ReadEndRecord(const char* p);

    static quint16 Get16(const char* p);
    static quint32 Get32(const char* p);
    // Writes a 32-bit value at p, little-endian.
    static void Set32(char* p, quint32 v);
    static QString SignatureError(quint32 signature, quint64 position);
};
