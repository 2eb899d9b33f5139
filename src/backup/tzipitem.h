#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// One entry of a zip archive: what its headers say about it, and for packing the file it comes from.
struct TZipItem {
    // The path inside the archive with "/" between folders and no trailing "/".
    QString Name;
    // A folder entry (written by other tools; the program's own archives have none).
    bool IsFolder = false;
    quint16 Method = 8;
    quint16 Flags = 0;
    quint16 DosTime = 0;
    quint16 DosDate = 0;
    quint32 Crc = 0;
    // Sizes and offsets as they stand in the headers: 32-bit, 0xFFFFFFFF for 4 GiB or more.
    quint32 CompressedSize = 0;
    quint32 UncompressedSize = 0;
    quint32 LocalOffset = 0;
    // What the central header tells of the file: the system that made the entry (3: Unix) and the
    // file's attributes (there, its mode in the high 16 bits). The program writes 0 for both.
    quint8 HostSystem = 0;
    quint32 ExternalAttributes = 0;
    // The file packed into the entry.
    QString SourcePath;

    // Flag bits of the headers.
    static constexpr quint16 FlagEncrypted = 0x0001;
    static constexpr quint16 FlagDataDescriptor = 0x0008;
    static constexpr quint16 FlagUtf8 = 0x0800;

    // The name as stored: each backslash turned into "/", in the DOS code page (CP866), or in UTF-8
    // when the flag says so.
    QByteArray EncodedName() const;
    // Reads a stored name: UTF-8 when flagged, and also when it is valid UTF-8 beyond ASCII (as other
    // tools write it without the flag), else CP866. "\" counts as a folder separator as "/" does, and
    // a trailing separator marks a folder entry.
    void SetEncodedName(const QByteArray& raw);

    // A moment (seconds since 1970 UTC) in local time at the 2-second resolution of DOS. Times before
    // 1980 are stored as 1 January 1980 and times after 2107 as the last second DOS can hold.
    void SetTime(qint64 secsSinceEpoch);
    // Invalid when the stored date or time is not a real one.
    QDateTime Time() const;

    // A symbolic link stored as such (Info-ZIP's "zip -y"): its data is the link's target, not a file.
    bool IsSymLink() const;

    // The entry's path relative to the folder it is unpacked into, or false for a name that could
    // lead outside it: absolute paths, "..", drive letters and control characters.
    bool SafeRelativePath(QString& relative) const;
};

// Sizes and offsets that do not fit 32 bits become 0xFFFFFFFF.
quint32 ZipSize32(quint64 value);
