#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Archives made by hand, byte by byte, so that the reader meets what no writer of ours would make.
struct TRawEntry {
    QByteArray name;
    QByteArray data;
    int method = 8;
    quint16 flags = 0;
    std::optional<quint32> crc;         // the true CRC when unset
    std::optional<quint32> statedSize;  // the true size when unset
    std::optional<quint32> localOffset; // where its central header points; its own header when unset
    std::optional<quint32> packedSize;  // the size of the packed data when unset
    bool writeLocal = true;             // false: a central header only (for entries sharing data)

    TRawEntry(QByteArray n, QByteArray d, int m = 8) : name(std::move(n)), data(std::move(d)), method(m) {}
    TRawEntry& Flags(quint16 v) {
        flags = v;
        return *this;
    }
    TRawEntry& Crc(quint32 v) {
        crc = v;
        return *this;
    }
    TRawEntry& Stated(quint32 v) {
        statedSize = v;
        return *this;
    }
    TRawEntry& At(quint32 v) {
        localOffset = v;
        return *this;
    }
    TRawEntry& Packed(quint32 v) {
        packedSize = v;
        return *this;
    }
    TRawEntry& CentralOnly() {
        writeLocal = false;
        return *this;
    }
};
QByteArray BuildZip(const std::vector<TRawEntry>& entries);

// An archive of one deflated entry holding size zero bytes, streamed to the file at zlib level 1 with
// honest headers: far more data than a test keeps in memory, in a few megabytes.
bool WriteZerosZip(const QString& path, const QByteArray& name, quint32 size);

QByteArray RawDeflate(const QByteArray& data, int zlibLevel);
quint32 Crc(const QByteArray& data);
quint16 Le16(const QByteArray& bytes, qsizetype at);
quint32 Le32(const QByteArray& bytes, qsizetype at);

// Table-file-like bytes: rows of dates, kinds, sums and notes, with a share of noise that does not
// compress.
QByteArray SampleBytes(qsizetype size, quint32 seed);

void WriteFileAt(const QString& path, const QByteArray& bytes, const QDateTime& modified);
QDateTime Modified(const QString& path);
// Every file under the folder, relative, sorted.
QStringList FilesUnder(const QString& folder);

// The program, or none when it is not installed.
QString FindTool(const QString& name);
// Runs a program to its end; the exit code, or -1 when it did not start or finish.
int RunTool(const QString& program, const QStringList& args, const QString& workDir,
            QString* output = nullptr);
