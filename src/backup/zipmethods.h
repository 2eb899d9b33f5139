#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

// Where packed or unpacked bytes go; false stops the work (a failed write, a limit passed).
using TZipSink = std::function<bool(const char* data, size_t size)>;
// Gives the next block of an entry's stored data: its size, 0 at the end, -1 on a read error.
using TZipSource = std::function<qint64(const char*& data)>;

// Turns a file's bytes into an entry's data, and takes the CRC-32 of those bytes on the way, while
// they are still in the processor's cache. One packer serves every entry of an archive.
class TZipPacker {
public:
    virtual ~TZipPacker() = default;
    // Starts the next entry.
    virtual void Reset() = 0;
    // Takes the next bytes of the file; finish with an empty call that has last set.
    virtual bool Pack(const char* data, size_t size, bool last, const TZipSink& out) = 0;
    // The CRC-32 of every byte taken since Reset.
    quint32 Crc() const { return m_crc; }

protected:
    void AddToCrc(const char* data, size_t size);
    void ResetCrc();

private:
    quint32 m_crc = 0;
};

// Turns an entry's data back into the file's bytes.
class TZipUnpacker {
public:
    virtual ~TZipUnpacker() = default;
    // False with a text on damaged data; false with an empty text when out refused the bytes.
    virtual bool Unpack(const TZipSource& in, const TZipSink& out, QString& error) = 0;
};

// The methods by their number in the headers. Some are known by name only and cannot be used.
struct TZipMethod {
    int number;
    const char* packer;
    const char* unpacker;
    bool implemented;
};
const std::vector<TZipMethod>& ZipMethods();

constexpr int ZipMethodStore = 0;
constexpr int ZipMethodDeflate = 8;
// The archive level the backups are packed at.
constexpr int ZipDefaultLevel = 3;

// The method an archive level packs with: stored at 0 or less, else deflate.
int ZipMethodForLevel(int level);
// zlib's compression level for an archive level (0..5, clamped).
int ZlibLevelForArchiveLevel(int level);

// None for a method without an implementation.
std::unique_ptr<TZipPacker> MakeZipPacker(int method, int archiveLevel);
std::unique_ptr<TZipUnpacker> MakeZipUnpacker(int method);

// Size of the blocks read and written while packing and unpacking.
constexpr size_t ZipBlockSize = 1 << 20;
