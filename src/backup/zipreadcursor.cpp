#include "backup/zipreadcursor.h"

#include "backup/zipmethods.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

bool ZipReadAt(int fd, quint64 offset, char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
        offset += quint64(n);
    }
    return true;
}

TZipReadCursor::TZipReadCursor(int fd, quint64 start, quint64 end)
    : m_fd(fd), m_end(end), m_pos(start),
      m_capacity(size_t(std::min<quint64>(ZipBlockSize, end > start ? end - start : 0))) {
    m_block = std::make_unique_for_overwrite<char[]>(m_capacity);
}

bool TZipReadCursor::Need(size_t size) {
    if (m_pos > m_end || m_end - m_pos < size || size > m_capacity) return false;
    if (m_pos >= m_blockPos && m_pos + size <= m_blockPos + m_blockSize) return true;
    const size_t count = size_t(std::min<quint64>(m_capacity, m_end - m_pos));
    m_blockSize = 0;
    if (!ZipReadAt(m_fd, m_pos, m_block.get(), count)) return false;
    m_blockPos = m_pos;
    m_blockSize = count;
    return true;
}

bool TZipReadCursor::FindPK() {
    while (Need(2)) {
        const char* begin = Data();
        const size_t available = size_t(m_blockPos + m_blockSize - m_pos);
        const char* p = begin;
        const char* last = begin + available - 1; // a "P" here is checked again with the next block
        while (p < last) {
            p = static_cast<const char*>(std::memchr(p, 'P', size_t(last - p)));
            if (!p) break;
            if (p[1] == 'K') {
                m_pos += quint64(p - begin);
                return true;
            }
            ++p;
        }
        m_pos += available - 1;
    }
    return false;
}
