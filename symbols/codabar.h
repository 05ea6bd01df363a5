// Codabar character set and patterns (USS-Codabar, as in ANSI/AIM BC3).
#pragma once
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "lumtar32_gdi.h"

namespace lumtar {

// A character's index is its position here; upper and lower case start/stop
// letters share one pattern.
inline constexpr char CodabarCharset[] = "0123456789-$:/.+AaBbCcDd";
// Letters allowed only at the first and the last position of a text.
inline constexpr char CodabarStartStop[] = "AaBbCcDd";

// Seven elements in bits 15 to 9, bit 15 first: bar, space, bar, space, bar,
// space, bar; 1 = wide (two units), 0 = narrow (one unit). Bit 8 is read as the
// eighth element, the narrow gap before the next character.
inline constexpr uint16_t CodabarPatterns[] = {
    0x0600, 0x0C00, 0x1200, 0xC000, 0x2400, // 0 1 2 3 4
    0x8400, 0x4200, 0x4800, 0x6000, 0x9000, // 5 6 7 8 9
    0x1800, 0x3000,                         // - $
    0x8A00, 0xA200, 0xA800, 0x2A00,         // : / . +
    0x3400, 0x3400, 0x5200, 0x5200,         // A a B b
    0x1600, 0x1600, 0x1C00, 0x1C00,         // C c D d
};
static_assert(sizeof(CodabarCharset) - 1 == std::size(CodabarPatterns));
static_assert([] {
    // Digits, "-" and "$" have two wide elements; ":", "/", ".", "+" and the letters three.
    for (std::size_t i = 0; i < std::size(CodabarPatterns); ++i) {
        const auto p = CodabarPatterns[i];
        if ((p & 0x1FF) != 0) return false;
        if (std::popcount(static_cast<unsigned>(p)) != (i < 12 ? 2 : 3)) return false;
    }
    return true;
}(), "Codabar patterns: seven elements, two or three of them wide");

// Position of c in CodabarCharset, or -1 (the terminating zero is no character).
inline int CodabarIndex(char c)
{
    if (c == '\0') return -1;
    const char* p = std::strchr(CodabarCharset, c);
    return p ? static_cast<int>(p - CodabarCharset) : -1;
}

inline bool IsCodabarStartStop(char c) { return c != '\0' && std::strchr(CodabarStartStop, c) != nullptr; }

// Width of the text in units: 8 plus the number of wide elements per
// character, the gap after the last one included.
int CodabarUnitCount(const char* text);

// text: start letter, data, stop letter, all drawn as given. Returns 1.
int DrawCodabar(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
