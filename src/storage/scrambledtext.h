#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

// A few texts are kept in the program scrambled rather than as plain strings (the notice window,
// the help items, the diagnostics' closing lines): each 16-bit unit XOR a byte that grows with its
// position, then less a fixed amount, gives a byte of the Windows-1251 code page.
QString Unscramble(std::initializer_list<std::uint16_t> units);
QString Unscramble(const std::vector<std::uint16_t>& units);
std::vector<std::uint16_t> Scramble(const QString& text);
