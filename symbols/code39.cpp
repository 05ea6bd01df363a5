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

// Nine elements of pattern and the narrow gap after them, from x. Returns the width.
int DrawCode39Char(const ElementBox& box, int32_t pattern, int x)
{
    return DrawElements(box, static_cast<unsigned>(pattern) << 1, 10, x);
}

} // namespace

int DrawCode39(HDC hdc, const char* text, const RECT* rect, int textHeight, int narrow, int wide)
{
    const int n = lstrlenA(text);
    // n + 2 characters of 3 wide and 6 narrow elements, n + 1 gaps between them.
    // At least one unit per step: more steps than the coordinate space holds
    // would run the symbol, and the sums of its elements' widths, beyond it.
    const int unit = UnitWidth(rect, narrow, wide, 3LL * n + 6, 7LL * n + 13, MaxCoordinate);
    if (unit < 0) return 0;
    // A unit of 0 would draw nothing: wider than the rectangle rather than invisible.
    const ElementBox box{hdc, rect->top, rect->bottom - textHeight, unit == 0 ? 1 : unit, narrow, wide};

    int x = rect->left;
    x += DrawCode39Char(box, Code39StartStop, x);
    for (int i = 0; i < n; ++i) {
        if (textHeight != 0) DrawBarText(hdc, x, rect->bottom - textHeight, text + i, 1);
        // A character without a pattern (none passes detection) is nine narrow elements.
        x += DrawCode39Char(box, Code39Pattern(text[i]), x);
    }
    DrawCode39Char(box, Code39StartStop, x);
    return 1;
}

} // namespace lumtar
