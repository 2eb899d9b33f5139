#pragma once

#include <QtGlobal>

#include <memory>

// Reads a span of an open file through one block of 1 MiB (less for a shorter span), for walking headers one
// after another without holding the file in memory.
class TZipReadCursor {
public:
    TZipReadCursor(int fd, quint64 start, quint64 end);

    quint64 Position() const { return m_pos; }
    // Makes size bytes at the position readable through Data(); false when fewer remain before the
    // end of the span or the file cannot be read.
    bool Need(size_t size);
    const char* Data() const { return m_block.get() + (m_pos - m_blockPos); }
    void Skip(quint64 size) { m_pos += size; }
    // Moves to the next "PK" at or after the position; false when there is none before the end.
    bool FindPK();

private:
    int m_fd;
    quint64 m_end;
    quint64 m_pos;
    std::unique_ptr<char[]> m_block;
    size_t m_capacity;
    quint64 m_blockPos = 0;
    size_t m_blockSize = 0;
};

// Reads size bytes at offset; false when the file ends before them or cannot be read.
bool ZipReadAt(int fd, quint64 offset, char* data, size_t size);
