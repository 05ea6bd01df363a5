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
constexpr uint8_t Interleaved2of5Patterns[10] = {
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

// count bar/space pairs from bit count - 1 down to 0 of the two patterns.
// Returns the width written.
int DrawElementPairs(HDC hdc, int count, int barPattern, int spacePattern, const RECT* rect, int textHeight, int x,
                     int narrow, int wide)
{
    int written = 0;
    for (int bit = count - 1; bit >= 0; --bit) {
        written += DrawElement(hdc, (barPattern >> bit) & 1 ? wide : narrow, 1, rect, textHeight, x + written);
        written += DrawElement(hdc, (spacePattern >> bit) & 1 ? wide : narrow, 0, rect, textHeight, x + written);
    }
    return written;
}

} // namespace

int DrawInterleaved2of5(HDC hdc, const char* text, const RECT* rect, int textHeight, int narrow, int wide)
{
    const int n = lstrlenA(text);
    // n digits: 2n wide, 3n narrow; start: 4 narrow; stop: 1 wide, 2 narrow
    // (its closing space is not counted). UnitWidth may be 0: all elements empty.
    if (!SetUnitWidth(rect, narrow, wide, 2LL * n + 1, 3LL * n + 6, INT_MAX)) return 0;

    int x = rect->left;
    x += DrawElementPairs(hdc, 2, 0b00, 0b00, rect, textHeight, x, narrow, wide); // start: four narrow
    for (int i = 0; i + 1 < n; i += 2) {
        if (textHeight != 0) DrawBarText(hdc, x, rect->bottom - textHeight, text + i, 2);
        x += DrawElementPairs(hdc, 5, Interleaved2of5Patterns[text[i] - '0'], Interleaved2of5Patterns[text[i + 1] - '0'],
                              rect, textHeight, x, narrow, wide);
    }
    DrawElementPairs(hdc, 2, 0b10, 0b00, rect, textHeight, x, narrow, wide); // stop: wide bar, then narrow
    return 1;
}

} // namespace lumtar
