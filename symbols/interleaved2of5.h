// Interleaved 2 of 5 (ISO/IEC 16390) and the element writers that Code 39 shares.
#pragma once
#include <bit>
#include <cstdint>

#include "lumtar32_gdi.h"

namespace lumtar {

// Five element widths per digit, bit 4 first; 1 = wide (ISO/IEC 16390 table 1).
inline constexpr uint8_t Interleaved2of5Patterns[10] = {
    0b00110, // 0
    0b10001, // 1
    0b01001, // 2
    0b11000, // 3
    0b00101, // 4
    0b10100, // 5
    0b01100, // 6
    0b00011, // 7
    0b10010, // 8
    0b01010, // 9
};
static_assert([] {
    for (int i = 0; i < 10; ++i) {
        if (Interleaved2of5Patterns[i] >= 32 || std::popcount(Interleaved2of5Patterns[i]) != 2) return false;
        for (int j = 0; j < i; ++j)
            if (Interleaved2of5Patterns[j] == Interleaved2of5Patterns[i]) return false;
    }
    return true;
}(), "2 of 5: two wide elements of five, every digit its own pattern");

// Logical units per width step, set by the Interleaved 2 of 5 and Code 39
// renderers at the start of every symbol. One per thread, like RotationState.
extern thread_local int UnitWidth;

// One element UnitWidth * factor wide at x; a bar (bar != 0) runs from rect.top
// to rect.bottom - textHeight, a space only counts. Returns the width.
int DrawElement(HDC hdc, int factor, int bar, const RECT* rect, int textHeight, int x);
// count bar/space pairs from bit count - 1 down to 0 of the two patterns.
// Returns the width written.
int DrawElementPairs(HDC hdc, int count, int barPattern, int spacePattern, const RECT* rect, int textHeight, int x,
                     int narrow, int wide);

// text: an even number of digits, at most 68. Returns 1, or 0 without drawing
// when narrow or wide is negative or the symbol's width in steps does not fit
// 32 bits.
int DrawInterleaved2of5(HDC hdc, const char* text, const RECT* rect, int textHeight, int narrow, int wide);

} // namespace lumtar
