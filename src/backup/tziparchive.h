#pragma once

#include "backup/tzipitem.h"
#include "backup/zipmethods.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class TAtomicFile;

// A zip archive file: its list of entries, read from the central directory (or rebuilt from the
// local headers when the directory is damaged), and the writing of a new archive. Files stream
// through fixed blocks, so an archive of any size needs the same little memory.
class TZipArchive {
public:
    TZipArchive();
    ~TZipArchive();
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    // Reading. False only when the file cannot be opened; a damaged directory is rebuilt by
    // scanning the file for local headers, and DirectoryError tells what was wrong with it.
    bool Open(const QString& path);
    void Close();
    const std::vector<TZipItem>& Items() const { return m_items; }
    const QString& DirectoryError() const { return m_directoryError; }
    // Decodes one entry and passes its bytes to out. Data past the entry's stated size, a CRC that
    // differs or damaged data end it with an error text.
    bool Decode(const TZipItem& item, const TZipSink& out, QString& error);
    // How an extracted file reaches the disk.
    enum class TFlush {
        // Written beside its name, flushed, then renamed over an existing file of that name only once
        // the whole entry has been decoded and checked.
        EachFile,
        // Written straight under its name, which must be new, and not flushed: for a scratch folder
        // that the caller flushes whole at the end, or throws away. A failed entry leaves no file.
        ByCaller,
    };
    // Writes one entry under the folder at its own relative path and gives the file the entry's time.
    // copy, when given, receives the entry's bytes too, for a reader that checks them without reading
    // the file back.
    bool Extract(const TZipItem& item, const QString& folder, QString& error, TFlush flush = TFlush::EachFile,
                 QByteArray* copy = nullptr);

    // Writing. The new archive replaces the file at path only when Finish succeeds; until then and
    // after any failure the old file stays as it was.
    bool Create(const QString& path, int level = ZipDefaultLevel);
    bool AddFile(const QString& sourcePath, const QString& name);
    // Adds an entry from bytes in memory, stored as they are or deflated whatever the archive's
    // level (formats such as OpenDocument want some entries stored and the rest packed).
    bool AddData(const QString& name, const QByteArray& bytes, bool stored);
    bool Finish();
    // What failed in Open, Create, AddFile or Finish.
    const QString& Error() const { return m_error; }

    // Error texts of the container.
    static const QString ErrNoEndHeader;
    static const QString ErrEndHeader;
    static const QString ErrLocalHeader;
    static const QString ErrMethod;
    static const QString ErrCrc;
    static const QString ErrUpdateLocalHeader;
    static const QString ErrTooLong;
    static const QString ErrTooShort;
    static const QString ErrTooMuch;

private:
    bool ReadDirectory(QString& error);
    void RebuildDirectory();
    TZipUnpacker* Unpacker(int method);
    // Appends to the archive through the stage; large pieces go to the file at once.
    bool Put(const char* data, size_t size);
    bool FlushStage();
    // Sets the CRC and sizes in an entry's local header written at offset.
    bool UpdateLocalHeader(quint64 offset, const TZipItem& item);
    bool Fail(const QString& error);
    char* Buffer();
    // size bytes of the open archive at pos, from the block last read when they lie in it, else
    // from a block read anew there; none past the end of the file or when the file cannot be read.
    const char* Span(quint64 pos, size_t size);

    std::vector<TZipItem> m_items;
    QString m_error;

    int m_fd = -1;
    quint64 m_size = 0;
    QString m_directoryError;
    std::map<int, std::unique_ptr<TZipUnpacker>> m_unpackers;
    // Every entry's data together cannot honestly unpack to more than deflate's best ratio allows
    // for the whole file: entries that share their data to go past it are stopped.
    quint64 m_unpacked = 0;
    quint64 m_unpackCeiling = 0;

    std::unique_ptr<TAtomicFile> m_out;
    std::unique_ptr<TZipPacker> m_packer;
    std::unique_ptr<TZipPacker> m_storePacker;
    std::unique_ptr<TZipPacker> m_deflatePacker;
    int m_level = ZipDefaultLevel;
    int m_method = ZipMethodDeflate;
    QByteArray m_stage;
    quint64 m_written = 0;
    bool m_failed = false;

    std::unique_ptr<char[]> m_buffer; // one block of ZipBlockSize, made on first use
    // What of the open archive the buffer holds.
    quint64 m_spanPos = 0;
    size_t m_spanSize = 0;
};
