// Code 39 character patterns (ISO/IEC 16388, table 1).
#pragma once
#include <array>
#include <cstdint>
#include <iterator>

#include "lumtar32_gdi.h"

namespace lumtar {

// Nine elements per character, bit 8 first: bar, space, bar, ... bar; 1 = wide.
// Indexed by character code; only the codes 32 (space) to 90 ("Z") are consulted,
// and an entry of 0 marks a character that Code 39 cannot carry.
inline constexpr char Code39Alphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
inline constexpr int32_t Code39Encodings[] = {
    0x034, 0x121, 0x061, 0x160, 0x031, 0x130, 0x070, 0x025, 0x124, 0x064, // 0 - 9
    0x109, 0x049, 0x148, 0x019, 0x118, 0x058, 0x00D, 0x10C, 0x04C, 0x01C, // A - J
    0x103, 0x043, 0x142, 0x013, 0x112, 0x052, 0x007, 0x106, 0x046, 0x016, // K - T
    0x181, 0x0C1, 0x1C0, 0x091, 0x190, 0x0D0,                             // U - Z
    0x085, 0x184, 0x0C4, 0x0A8, 0x0A2, 0x08A, 0x02A,                      // - . space $ / + %
};
static_assert(sizeof(Code39Alphabet) - 1 == std::size(Code39Encodings));

inline constexpr std::array<int32_t, 91> Code39Patterns = [] {
    std::array<int32_t, 91> table{};
    for (std::size_t i = 0; i < std::size(Code39Encodings); ++i)
        table[static_cast<unsigned char>(Code39Alphabet[i])] = Code39Encodings[i];
    return table;
}();

// Pattern of one text character, 0 when Code 39 has none (signed-byte compare:
// codes from 128 upward have none).
constexpr int32_t Code39Pattern(char c)
{
    const signed char code = static_cast<signed char>(c);
    return code >= 32 && code <= 90 ? Code39Patterns[code] : 0;
}

// Start/stop, the characters of text each shown below its bars, start/stop.
// Returns 1, or 0 without drawing when narrow or wide is negative or the
// symbol's width in steps does not fit 32 bits.
int DrawCode39(HDC hdc, const char* text, const RECT* rect, int textHeight, int narrow, int wide);

} // namespace lumtar
