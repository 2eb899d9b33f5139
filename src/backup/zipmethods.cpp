#include "backup/zipmethods.h"

#include <algorithm>
#include <zlib.h>

void TZipPacker::AddToCrc(const char* data, size_t size) {
    // zlib answers a null buffer with the starting value, which would lose the sum so far.
    if (size == 0) return;
    m_crc = quint32(crc32_z(m_crc, reinterpret_cast<const Bytef*>(data), size));
}

void TZipPacker::ResetCrc() {
    m_crc = 0;
}

namespace {

class TStorePacker final : public TZipPacker {
public:
    void Reset() override { ResetCrc(); }
    bool Pack(const char* data, size_t size, bool, const TZipSink& out) override {
        AddToCrc(data, size);
        return size == 0 || out(data, size);
    }
};

class TRestoreUnpacker final : public TZipUnpacker {
public:
    bool Unpack(const TZipSource& in, const TZipSink& out, QString& error) override {
        for (;;) {
            const char* data = nullptr;
            const qint64 n = in(data);
            if (n < 0) {
                error = QStringLiteral("Can't read archive");
                return false;
            }
            if (n == 0) return true;
            if (!out(data, size_t(n))) return false;
        }
    }
};

class TDeflatePacker final : public TZipPacker {
public:
    explicit TDeflatePacker(int zlibLevel) : m_buffer(std::make_unique_for_overwrite<char[]>(ZipBlockSize)) {
        m_ok = deflateInit2(&m_z, zlibLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~TDeflatePacker() override {
        if (m_ok) deflateEnd(&m_z);
    }
    void Reset() override {
        ResetCrc();
        if (m_ok) deflateReset(&m_z);
    }
    bool Pack(const char* data, size_t size, bool last, const TZipSink& out) override {
        if (!m_ok) return false;
        // A slice at a time, each summed just before deflate reads it: the bytes come from memory once.
        // The stream is the same however its input is cut, and it is always ended by an empty finishing
        // call, so that the archives stay what they were byte for byte.
        while (size > 0) {
            const size_t n = std::min(size, kSlice);
            if (!Deflate(data, n, false, out)) return false;
            data += n;
            size -= n;
        }
        return !last || Deflate(nullptr, 0, true, out);
    }

private:
    static constexpr size_t kSlice = 64 * 1024;

    bool Deflate(const char* data, size_t size, bool last, const TZipSink& out) {
        AddToCrc(data, size);
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_z.avail_in = uInt(size);
        const int flush = last ? Z_FINISH : Z_NO_FLUSH;
        for (;;) {
            m_z.next_out = reinterpret_cast<Bytef*>(m_buffer.get());
            m_z.avail_out = uInt(ZipBlockSize);
            const int rc = deflate(&m_z, flush);
            if (rc == Z_STREAM_ERROR) return false;
            const size_t produced = ZipBlockSize - m_z.avail_out;
            if (produced > 0 && !out(m_buffer.get(), produced)) return false;
            if (last ? rc == Z_STREAM_END : (m_z.avail_in == 0 && m_z.avail_out != 0)) return true;
        }
    }

    z_stream m_z{};
    std::unique_ptr<char[]> m_buffer;
    bool m_ok = false;
};

class TInflateUnpacker final : public TZipUnpacker {
    // Small enough that the CRC and the write find the bytes still in the processor's cache.
    static constexpr size_t kOutputSize = 256 * 1024;

public:
    TInflateUnpacker() : m_buffer(std::make_unique_for_overwrite<char[]>(kOutputSize)) {
        m_ok = inflateInit2(&m_z, -MAX_WBITS) == Z_OK;
    }
    ~TInflateUnpacker() override {
        if (m_ok) inflateEnd(&m_z);
    }
    bool Unpack(const TZipSource& in, const TZipSink& out, QString& error) override {
        if (!m_ok || inflateReset(&m_z) != Z_OK) {
            error = QStringLiteral("Inflate error");
            return false;
        }
        for (;;) {
            if (m_z.avail_in == 0) {
                const char* data = nullptr;
                const qint64 n = in(data);
                if (n < 0) {
                    error = QStringLiteral("Can't read archive");
                    return false;
                }
                // Data that ends before its stream does is judged by the size and CRC checks.
                if (n == 0) return true;
                m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
                m_z.avail_in = uInt(n);
            }
            m_z.next_out = reinterpret_cast<Bytef*>(m_buffer.get());
            m_z.avail_out = uInt(kOutputSize);
            const int rc = inflate(&m_z, Z_NO_FLUSH);
            const size_t produced = kOutputSize - m_z.avail_out;
            if (produced > 0 && !out(m_buffer.get(), produced)) {
                m_z.avail_in = 0;
                return false;
            }
            if (rc == Z_STREAM_END) {
                m_z.avail_in = 0;
                return true;
            }
            if (rc != Z_OK && rc != Z_BUF_ERROR) {
                error = QStringLiteral("Inflate error: ") +
                        QString::fromLatin1(m_z.msg ? m_z.msg : "damaged data");
                m_z.avail_in = 0;
                return false;
            }
        }
    }

private:
    z_stream m_z{};
    std::unique_ptr<char[]> m_buffer;
    bool m_ok = false;
};

} // namespace

const std::vector<TZipMethod>& ZipMethods() {
    static const std::vector<TZipMethod> methods = {
        {ZipMethodStore, "Store", "Restore", true},
        {ZipMethodDeflate, "Deflate", "Inflate", true},
        {9, "Deflate64", "Inflate64", false},
        {12, "BZip2Pack", "BZip2Unpack", false},
    };
    return methods;
}

int ZipMethodForLevel(int level) {
    return level <= 0 ? ZipMethodStore : ZipMethodDeflate;
}

int ZlibLevelForArchiveLevel(int level) {
    static const int table[] = {0, 1, 3, 5, 7, 9};
    return table[std::clamp(level, 0, 5)];
}

std::unique_ptr<TZipPacker> MakeZipPacker(int method, int archiveLevel) {
    if (method == ZipMethodStore) return std::make_unique<TStorePacker>();
    if (method == ZipMethodDeflate)
        return std::make_unique<TDeflatePacker>(ZlibLevelForArchiveLevel(archiveLevel));
    return nullptr;
}

std::unique_ptr<TZipUnpacker> MakeZipUnpacker(int method) {
    if (method == ZipMethodStore) return std::make_unique<TRestoreUnpacker>();
    if (method == ZipMethodDeflate) return std::make_unique<TInflateUnpacker>();
    return nullptr;
}
