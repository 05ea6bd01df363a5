// Interleaved 2 of 5: digits in pairs, the first in the widths of five bars,
// the second in the widths of the five spaces between them.
#include "symbols/interleaved2of5.h"

#include <climits>
#include <cstdlib>

#include "render/rotation.h"

namespace lumtar {

thread_local int UnitWidth = 0;

int DrawElement(HDC hdc, int factor, int bar, const RECT* rect, int textHeight, int x)
{
    const int width = UnitWidth * factor;
    if (bar) DrawBarRect(hdc, x, rect->top, x + width, rect->bottom - textHeight);
    return width;
}

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

int DrawInterleaved2of5(HDC hdc, const char* text, const RECT* rect, int textHeight, int narrow, int wide)
{
    const int n = lstrlenA(text);
    if (narrow < 0 || wide < 0) return 0;
    // n digits: 2n wide, 3n narrow; start: 4 narrow; stop: 1 wide, 2 narrow
    // (its closing space is not counted).
    const long long steps = (2LL * n + 1) * wide + (3LL * n + 6) * narrow;
    if (steps > INT_MAX) return 0;
    UnitWidth = std::abs(rect->right - rect->left) / static_cast<int>(steps); // may be 0: all elements empty

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
