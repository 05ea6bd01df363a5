// Interleaved 2 of 5: digits in pairs, the first in the widths of five bars,
// the second in the widths of the five spaces between them.
#include "symbols/interleaved2of5.h"

#include <bit>
#include <climits>
#include <cstdint>

#include "render/rotation.h"
#include "symbols/elements.h"

namespace lumtar {
namespace {

// Five element widths per digit, bit 4 first; 1 = wide (ISO/IEC 16390 table 1).
constexpr uint8_t DigitPatterns[10] = {
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
        if (DigitPatterns[i] >= 32 || std::popcount(DigitPatterns[i]) != 2) return false;
        for (int j = 0; j < i; ++j)
            if (DigitPatterns[j] == DigitPatterns[i]) return false;
    }
    return true;
}(), "2 of 5: two wide elements of five, every digit its own pattern");

// The five bars of one digit and the five spaces of the next, interleaved:
// ten elements, the first in bit 9.
constexpr unsigned Interleaved(unsigned bars, unsigned spaces)
{
    unsigned elements = 0;
    for (int bit = 4; bit >= 0; --bit) elements = elements << 2 | ((bars >> bit) & 1) << 1 | ((spaces >> bit) & 1);
    return elements;
}
static_assert(Interleaved(0b10001, 0b01001) == 0b10'01'00'00'11);

} // namespace

int DrawInterleaved2of5(HDC hdc, const char* text, const RECT* rect, int textHeight, int narrow, int wide)
{
    const int n = lstrlenA(text);
    // n digits: 2n wide, 3n narrow; start: 4 narrow; stop: 1 wide, 2 narrow
    // (its closing space is not counted). UnitWidth may be 0: all elements empty.
    const int unit = UnitWidth(rect, narrow, wide, 2LL * n + 1, 3LL * n + 6, INT_MAX);
    if (unit < 0) return 0;
    const ElementBox box{hdc, rect->top, rect->bottom - textHeight, unit, narrow, wide};

    int x = rect->left;
    x += DrawElements(box, 0b0000, 4, x); // start: four narrow
    for (int i = 0; i + 1 < n; i += 2) {
        if (textHeight != 0) DrawBarText(hdc, x, rect->bottom - textHeight, text + i, 2);
        x += DrawElements(box, Interleaved(DigitPatterns[text[i] - '0'], DigitPatterns[text[i + 1] - '0']), 10, x);
    }
    DrawElements(box, 0b1000, 4, x); // stop: a wide bar, then narrow
    return 1;
}

} // namespace lumtar
