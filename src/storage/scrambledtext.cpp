#include "storage/scrambledtext.h"

#include "storage/codepage.h"

namespace {

constexpr unsigned kStep = 37;   // the XOR byte grows by this much per position
constexpr unsigned kStart = 11;  // ... starting from this at position 0
constexpr unsigned kOffset = 73; // then this is taken off

std::uint8_t Key(std::size_t position) {
    return std::uint8_t((kStep * position + kStart) & 0xFF);
}

} // namespace

QString Unscramble(const std::vector<std::uint16_t>& units) {
    QByteArray bytes;
    bytes.reserve(qsizetype(units.size()));
    for (std::size_t i = 0; i < units.size(); ++i) {
        const unsigned x = (unsigned(units[i]) ^ Key(i + 1)) & 0xFF;
        bytes.append(char((x - kOffset) & 0xFF));
    }
    return FromCp1251(bytes);
}

QString Unscramble(std::initializer_list<std::uint16_t> units) {
    return Unscramble(std::vector<std::uint16_t>(units));
}

std::vector<std::uint16_t> Scramble(const QString& text) {
    const QByteArray bytes = ToCp1251(text);
    std::vector<std::uint16_t> units;
    units.reserve(size_t(bytes.size()));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned b = (unsigned(std::uint8_t(bytes[i])) + kOffset) & 0xFF;
        units.push_back(std::uint16_t(b ^ Key(std::size_t(i) + 1)));
    }
    return units;
}
