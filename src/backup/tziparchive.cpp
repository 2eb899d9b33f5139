#include "backup/tziparchive.h"

#include "backup/tzipstructure.h"
#include "backup/zipreadcursor.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

const QString TZipArchive::ErrNoEndHeader = QStringLiteral("End header cannot be found");
const QString TZipArchive::ErrEndHeader = QStringLiteral("Error in end of central dir header");
const QString TZipArchive::ErrLocalHeader = QStringLiteral("Error in local file header");
const QString TZipArchive::ErrMethod = QStringLiteral("unsupported method");
const QString TZipArchive::ErrCrc = QStringLiteral("CRC doesn' match");
const QString TZipArchive::ErrUpdateLocalHeader = QStringLiteral("Can't update local file header");
const QString TZipArchive::ErrTooLong = QStringLiteral("Entry data is longer than its stated size");
const QString TZipArchive::ErrTooShort = QStringLiteral("Entry data is shorter than its stated size");
const QString TZipArchive::ErrTooMuch = QStringLiteral("Archive unpacks to more data than it can hold");

namespace {

constexpr int kStageSize = 65536;
// No deflate stream gives more than 1032 bytes for one byte of input.
constexpr quint64 kDeflateMaxRatio = 1032;

void SetFileTime(const QString& path, const QDateTime& time) {
    if (!time.isValid()) return;
    const qint64 secs = time.toSecsSinceEpoch();
    timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = time_t(secs);
    ts[0].tv_nsec = ts[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), ts, AT_SYMLINK_NOFOLLOW);
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

TZipArchive::TZipArchive() = default;

TZipArchive::~TZipArchive() {
    Close();
}

bool TZipArchive::Open(const QString& path) {
    Close();
    m_items.clear();
    m_error.clear();
    m_directoryError.clear();
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        Close();
        m_error = QStringLiteral("Can't open archive ") + path;
        return false;
    }
    m_size = quint64(st.st_size);
    m_unpacked = 0;
    m_unpackCeiling = m_size * kDeflateMaxRatio + ZipBlockSize;
    if (m_size == 0) return true;
    if (!ReadDirectory(m_directoryError)) {
        m_items.clear();
        RebuildDirectory();
    }
    return true;
}

void TZipArchive::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_size = 0;
    m_spanPos = 0;
    m_spanSize = 0;
}

bool TZipArchive::ReadDirectory(QString& error) {
    using S = TZipStructure;
    const size_t blockSize = size_t(std::min<quint64>(m_size, ZipBlockSize));
    error = ErrNoEndHeader;
    if (blockSize < size_t(S::EndSize)) return false;
    std::vector<char> block(blockSize);
    if (!ZipReadAt(m_fd, m_size - blockSize, block.data(), blockSize)) return false;
    qint64 at = -1;
    for (qint64 i = qint64(blockSize) - S::EndSize; i >= 0; --i)
        if (block[size_t(i)] == 'P' && S::Get32(block.data() + i) == S::EndSignature) {
            at = i;
            break;
        }
    if (at < 0) return false;
    const S::TEndRecord end = S::ReadEndRecord(block.data() + at);
    block = {};
    // A directory that does not lie wholly inside the file cannot be read header by header.
    if (end.directoryOffset > m_size || (end.directorySize == 0 && end.directoryOffset != 0) ||
        quint64(end.directoryOffset) + end.directorySize > m_size) {
        error = ErrEndHeader;
        return false;
    }
    const quint64 directoryEnd = quint64(end.directoryOffset) + end.directorySize;
    TZipReadCursor cursor(m_fd, end.directoryOffset, directoryEnd);
    while (cursor.Position() < directoryEnd) {
        const quint64 pos = cursor.Position();
        if (!cursor.Need(4)) {
            error = ErrEndHeader;
            return false;
        }
        const quint32 signature = S::Get32(cursor.Data());
        if (signature != S::CentralSignature) {
            error = S::SignatureError(signature, pos);
            return false;
        }
        if (!cursor.Need(S::CentralSize)) {
            error = ErrEndHeader;
            return false;
        }
        TZipItem item;
        int nameSize = 0, extraSize = 0, commentSize = 0;
        S::ReadCentralHeader(cursor.Data(), item, nameSize, extraSize, commentSize);
        if (!cursor.Need(size_t(S::CentralSize + nameSize))) {
            error = ErrEndHeader;
            return false;
        }
        item.SetEncodedName(QByteArray(cursor.Data() + S::CentralSize, nameSize));
        m_items.push_back(std::move(item));
        cursor.Skip(quint64(S::CentralSize) + nameSize + extraSize + commentSize);
    }
    error.clear();
    return true;
}

void TZipArchive::RebuildDirectory() {
    using S = TZipStructure;
    TZipReadCursor cursor(m_fd, 0, m_size);
    while (cursor.FindPK()) {
        const quint64 pos = cursor.Position();
        if (!cursor.Need(4)) break;
        const quint32 signature = S::Get32(cursor.Data());
        if (signature == S::LocalSignature) {
            if (pos >= 0xFFFFFFFFull || !cursor.Need(S::LocalSize)) break;
            TZipItem item;
            int nameSize = 0, extraSize = 0;
            S::ReadLocalHeader(cursor.Data(), item, nameSize, extraSize);
            if (!cursor.Need(size_t(S::LocalSize + nameSize))) break;
            item.SetEncodedName(QByteArray(cursor.Data() + S::LocalSize, nameSize));
            item.LocalOffset = quint32(pos);
            cursor.Skip(quint64(S::LocalSize) + nameSize + extraSize + item.CompressedSize);
            m_items.push_back(std::move(item));
        } else if (signature == S::DescriptorSignature) {
            if (!cursor.Need(16)) break;
            if (!m_items.empty()) {
                TZipItem& last = m_items.back();
                last.Crc = S::Get32(cursor.Data() + 4);
                last.CompressedSize = S::Get32(cursor.Data() + 8);
                last.UncompressedSize = S::Get32(cursor.Data() + 12);
            }
            cursor.Skip(16);
        } else {
            cursor.Skip(2);
        }
    }
}

const char* TZipArchive::Span(quint64 pos, size_t size) {
    if (pos >= m_spanPos && size <= m_spanSize && pos - m_spanPos <= m_spanSize - size)
        return Buffer() + (pos - m_spanPos);
    if (size > ZipBlockSize || pos > m_size || m_size - pos < size) return nullptr;
    const size_t count = size_t(std::min<quint64>(ZipBlockSize, m_size - pos));
    m_spanSize = 0;
    if (!ZipReadAt(m_fd, pos, Buffer(), count)) return nullptr;
    m_spanPos = pos;
    m_spanSize = count;
    return Buffer();
}

char* TZipArchive::Buffer() {
    if (!m_buffer) m_buffer = std::make_unique_for_overwrite<char[]>(ZipBlockSize);
    return m_buffer.get();
}

TZipUnpacker* TZipArchive::Unpacker(int method) {
    auto it = m_unpackers.find(method);
    if (it == m_unpackers.end()) it = m_unpackers.emplace(method, MakeZipUnpacker(method)).first;
    return it->second.get();
}

bool TZipArchive::Decode(const TZipItem& item, const TZipSink& out, QString& error) {
    using S = TZipStructure;
    error.clear();
    const char* header = m_fd < 0 ? nullptr : Span(item.LocalOffset, S::LocalSize);
    if (!header || S::Get32(header) != S::LocalSignature) {
        error = ErrLocalHeader;
        return false;
    }
    TZipItem local;
    int nameSize = 0, extraSize = 0;
    S::ReadLocalHeader(header, local, nameSize, extraSize);
    TZipUnpacker* unpacker =
        ((local.Flags | item.Flags) & TZipItem::FlagEncrypted) ? nullptr : Unpacker(local.Method);
    if (!unpacker) {
        error = ErrMethod;
        return false;
    }
    quint64 pos = quint64(item.LocalOffset) + S::LocalSize + nameSize + extraSize;
    quint64 left = pos < m_size ? m_size - pos : 0;
    if (item.CompressedSize != 0xFFFFFFFFu) left = std::min<quint64>(left, item.CompressedSize);
    // Straight from the block read last: the entries of an archive follow each other, so one read
    // serves many of them.
    const TZipSource source = [&](const char*& data) -> qint64 {
        if (left == 0) return 0;
        size_t n = size_t(std::min<quint64>(left, ZipBlockSize));
        if (pos >= m_spanPos && pos < m_spanPos + m_spanSize)
            n = std::min<size_t>(n, size_t(m_spanPos + m_spanSize - pos));
        data = Span(pos, n);
        if (!data) return -1;
        pos += n;
        left -= n;
        return qint64(n);
    };
    uLong crc = crc32(0, nullptr, 0);
    quint64 produced = 0;
    QString limitError;
    const TZipSink sink = [&](const char* data, size_t size) {
        produced += size;
        m_unpacked += size;
        if (produced > item.UncompressedSize) {
            limitError = ErrTooLong;
            return false;
        }
        if (m_unpacked > m_unpackCeiling) {
            limitError = ErrTooMuch;
            return false;
        }
        // Summed as inflate hands the bytes over, while they are still in the processor's cache.
        crc = crc32_z(crc, reinterpret_cast<const Bytef*>(data), size);
        return out(data, size);
    };
    if (!unpacker->Unpack(source, sink, error)) {
        if (error.isEmpty()) error = limitError;
        return false;
    }
    if (quint32(crc) != item.Crc) {
        error = ErrCrc;
        return false;
    }
    if (produced != item.UncompressedSize) {
        error = ErrTooShort;
        return false;
    }
    return true;
}

bool TZipArchive::Extract(const TZipItem& item, const QString& folder, QString& error, TFlush flush,
                          QByteArray* copy) {
    if (copy) copy->resize(0);
    QString relative;
    if (!item.SafeRelativePath(relative)) {
        error = QStringLiteral("Unsafe file name: ") + item.Name;
        return false;
    }
    const QString path = JoinPath(folder, relative);
    if (item.IsFolder) {
        if (MakePrivateFolder(path)) return true;
        error = QStringLiteral("Can't create folder ") + relative;
        return false;
    }
    if (!MakePrivateFolder(QFileInfo(path).absolutePath())) {
        error = QStringLiteral("Can't create folder for ") + relative;
        return false;
    }
    const QByteArray native = QFile::encodeName(path);
    TAtomicFile atomic(path);
    int fd = -1;
    if (flush == TFlush::ByCaller)
        fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (flush == TFlush::ByCaller ? fd < 0 : !atomic.Open()) {
        error = QStringLiteral("Can't create file ") + relative;
        return false;
    }
    bool writeFailed = false;
    const bool decoded = Decode(
        item,
        [&](const char* data, size_t size) {
            if (copy) copy->append(data, qsizetype(size));
            writeFailed = fd >= 0 ? !WriteAll(fd, data, size) : !atomic.Write(data, qint64(size));
            return !writeFailed;
        },
        error);
    bool written = decoded;
    if (fd >= 0) {
        written = ::close(fd) == 0 && written;
        if (!written) ::unlink(native.constData());
    } else {
        written = written && atomic.Commit();
    }
    if (!written) {
        if (writeFailed || error.isEmpty()) error = QStringLiteral("Can't write file ") + relative;
        return false;
    }
    SetFileTime(path, item.Time());
    return true;
}

bool TZipArchive::Fail(const QString& error) {
    if (!m_failed) m_error = error;
    m_failed = true;
    return false;
}

bool TZipArchive::Create(const QString& path, int level) {
    Close();
    m_items.clear();
    m_error.clear();
    m_failed = false;
    m_written = 0;
    m_stage.clear();
    m_stage.reserve(kStageSize);
    m_level = level;
    m_method = ZipMethodForLevel(level);
    m_packer = MakeZipPacker(m_method, level);
    m_out = std::make_unique<TAtomicFile>(path);
    if (!m_out->Open()) {
        m_out.reset();
        return Fail(QStringLiteral("Can't create archive ") + path);
    }
    return true;
}

bool TZipArchive::FlushStage() {
    if (m_stage.isEmpty()) return true;
    const bool ok = m_out->Write(m_stage);
    m_stage.clear();
    return ok || Fail(QStringLiteral("Can't write archive"));
}

bool TZipArchive::Put(const char* data, size_t size) {
    if (size_t(m_stage.size()) + size > size_t(kStageSize) && !FlushStage()) return false;
    m_written += size;
    if (size >= size_t(kStageSize))
        return m_out->Write(data, qint64(size)) || Fail(QStringLiteral("Can't write archive"));
    m_stage.append(data, qsizetype(size));
    return true;
}

bool TZipArchive::UpdateLocalHeader(quint64 offset, const TZipItem& item) {
    // The values known only once the data is written: CRC-32, compressed and uncompressed size.
    constexpr int kAt = 14;
    char values[12];
    TZipStructure::Set32(values, item.Crc);
    TZipStructure::Set32(values + 4, item.CompressedSize);
    TZipStructure::Set32(values + 8, item.UncompressedSize);
    const quint64 stageStart = m_written - quint64(m_stage.size());
    // A header still in the stage is mended there: most entries reach the disk once, complete.
    if (offset >= stageStart) {
        std::memcpy(m_stage.data() + (offset - stageStart) + kAt, values, sizeof values);
        return true;
    }
    return m_out->WriteAt(qint64(offset) + kAt, values, sizeof values) || Fail(ErrUpdateLocalHeader);
}

bool TZipArchive::AddFile(const QString& sourcePath, const QString& name) {
    if (!m_out || m_failed) return false;
    if (!m_packer) return Fail(ErrMethod);
    const int fd = ::open(QFile::encodeName(sourcePath).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0) ::close(fd);
        return Fail(QStringLiteral("Can't read file ") + sourcePath);
    }
    TZipItem item;
    item.Name = name;
    item.SourcePath = sourcePath;
    // An empty file is stored: a deflated entry without data is refused by common unzip tools, and
    // the two bytes of an empty deflate stream would give it a size other than 0.
    item.Method = quint16(st.st_size == 0 ? ZipMethodStore : m_method);
    TZipPacker* packer = m_packer.get();
    if (item.Method != m_method) {
        if (!m_storePacker) m_storePacker = MakeZipPacker(ZipMethodStore, 0);
        packer = m_storePacker.get();
    }
    item.SetTime(st.st_mtim.tv_sec);
    item.UncompressedSize = ZipSize32(quint64(st.st_size));
    item.LocalOffset = ZipSize32(m_written);
    const quint64 localOffset = m_written;
    QByteArray header;
    TZipStructure::AppendLocalHeader(header, item);
    bool ok = Put(header.constData(), size_t(header.size()));
    const quint64 dataStart = m_written;
    packer->Reset();
    const TZipSink out = [this](const char* data, size_t size) { return Put(data, size); };
    quint64 total = 0;
    while (ok) {
        const ssize_t n = ::read(fd, Buffer(), ZipBlockSize);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = Fail(QStringLiteral("Can't read file ") + sourcePath);
            break;
        }
        if (n > 0) total += quint64(n);
        // A short read that reaches the size the file had when opened is its end: no call is
        // spent on being told so.
        const bool end = n == 0 || (size_t(n) < ZipBlockSize && total >= quint64(st.st_size));
        ok = packer->Pack(Buffer(), size_t(n), end, out) || Fail(QStringLiteral("Can't write archive"));
        if (end) break;
    }
    ::close(fd);
    if (!ok) return false;
    item.Crc = packer->Crc();
    item.CompressedSize = ZipSize32(m_written - dataStart);
    item.UncompressedSize = ZipSize32(total);
    if (!UpdateLocalHeader(localOffset, item)) return false;
    m_items.push_back(std::move(item));
    return true;
}

bool TZipArchive::AddData(const QString& name, const QByteArray& bytes, bool stored) {
    if (!m_out || m_failed) return false;
    TZipItem item;
    item.Name = name;
    // An empty entry is stored for the same reason as an empty file.
    item.Method = quint16(stored || bytes.isEmpty() ? ZipMethodStore : ZipMethodDeflate);
    TZipPacker* packer = nullptr;
    if (item.Method == m_method && m_packer) {
        packer = m_packer.get();
    } else if (item.Method == ZipMethodStore) {
        if (!m_storePacker) m_storePacker = MakeZipPacker(ZipMethodStore, 0);
        packer = m_storePacker.get();
    } else {
        if (!m_deflatePacker)
            m_deflatePacker = MakeZipPacker(ZipMethodDeflate, m_level > 0 ? m_level : ZipDefaultLevel);
        packer = m_deflatePacker.get();
    }
    if (!packer) return Fail(ErrMethod);
    item.SetTime(QDateTime::currentSecsSinceEpoch());
    item.UncompressedSize = ZipSize32(quint64(bytes.size()));
    item.LocalOffset = ZipSize32(m_written);
    const quint64 localOffset = m_written;
    QByteArray header;
    TZipStructure::AppendLocalHeader(header, item);
    if (!Put(header.constData(), size_t(header.size()))) return false;
    const quint64 dataStart = m_written;
    packer->Reset();
    const TZipSink out = [this](const char* data, size_t size) { return Put(data, size); };
    if (!packer->Pack(bytes.constData(), size_t(bytes.size()), true, out))
        return Fail(QStringLiteral("Can't write archive"));
    item.Crc = packer->Crc();
    item.CompressedSize = ZipSize32(m_written - dataStart);
    if (!UpdateLocalHeader(localOffset, item)) return false;
    m_items.push_back(std::move(item));
    return true;
}

bool TZipArchive::Finish() {
    if (!m_out) return false;
    bool ok = !m_failed;
    const quint64 directoryOffset = m_written;
    for (size_t i = 0; ok && i < m_items.size(); ++i) {
        QByteArray header;
        TZipStructure::AppendCentralHeader(header, m_items[i]);
        ok = Put(header.constData(), size_t(header.size()));
    }
    if (ok) {
        QByteArray end;
        TZipStructure::AppendEndRecord(end, m_items.size(), m_written - directoryOffset, directoryOffset);
        ok = Put(end.constData(), size_t(end.size())) && FlushStage();
    }
    if (ok && !m_out->Commit()) ok = Fail(QStringLiteral("Can't write archive"));
    m_out.reset();
    m_packer.reset();
    m_stage = QByteArray();
    return ok;
}
