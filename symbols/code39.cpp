// Code 39: start/stop "*", the text's characters, start/stop; nine elements
// per character and a narrow gap after each.
#include "symbols/code39.h"

#include <bit>

#include "render/rotation.h"
#include "symbols/elements.h"

namespace lumtar {
namespace {

// The start/stop character "*": drawn at both ends, never part of the text.
constexpr int32_t Code39StartStop = 0x094;

constexpr bool HasThreeWide(int32_t pattern) { return std::popcount(static_cast<uint32_t>(pattern)) == 3 && pattern < 0x200; }
static_assert([] {
    for (auto p : Code39Encodings)
        if (!HasThreeWide(p)) return false;
    return HasThreeWide(Code39StartStop);
}(), "every Code 39 character has exactly three wide elements of nine");

// Nine elements of pattern (bit 8 first, bar first, 1 = wide) and the narrow
// gap after them, from x. Returns the width written.
int DrawCode39Char(HDC hdc, int32_t pattern, const RECT* rect, int textHeight, int x, int narrow, int wide)
{
    int written = 0;
    for (int bit = 8; bit >= 0; --bit) {
        const int bar = bit % 2 == 0; // bit 8 bar, bit 7 space, ... bit 0 bar
        written += DrawElement(hdc, (pattern >> bit) & 1 ? wide : narrow, bar, rect, textHeight, x + written);
    }
    written += DrawElement(hdc, narrow, 0, rect, textHeight, x + written); // gap
    return written;
}

} // namespace

int DrawCode39(HDC hdc, const char* text, const RECT* rect, int textHeight, int narrow, int wide)
{
    const int n = lstrlenA(text);
    // n + 2 characters of 3 wide and 6 narrow elements, n + 1 gaps between them.
    // At least one unit per step: more steps than the coordinate space holds
    // would run the symbol, and the sums of its elements' widths, beyond it.
    if (!SetUnitWidth(rect, narrow, wide, 3LL * n + 6, 7LL * n + 13, MaxCoordinate)) return 0;
    if (UnitWidth == 0) UnitWidth = 1; // wider than the rectangle rather than invisible

    int x = rect->left;
    x += DrawCode39Char(hdc, Code39StartStop, rect, textHeight, x, narrow, wide);
    for (int i = 0; i < n; ++i) {
        if (textHeight != 0) DrawBarText(hdc, x, rect->bottom - textHeight, text + i, 1);
        // A character without a pattern (none passes detection) is nine narrow elements.
        x += DrawCode39Char(hdc, Code39Pattern(text[i]), rect, textHeight, x, narrow, wide);
    }
    DrawCode39Char(hdc, Code39StartStop, rect, textHeight, x, narrow, wide);
    return 1;
}

} // namespace lumtar
