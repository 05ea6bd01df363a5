// The element writer of the width-coded symbologies (Interleaved 2 of 5,
// Code 39 and Codabar): bars and spaces of narrow or wide weight in whole units.
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// One symbol's elements: bars from top to bottom, narrow and wide ones
// narrow and wide steps of unit logical units each.
struct ElementBox {
    HDC hdc;
    int top;
    int bottom;
    int unit;
    int narrow;
    int wide;
};

// The rectangle's width shared out over the symbol's width steps, wideCount
// wide and narrowCount narrow elements; it may come out 0. -1 when narrow or
// wide is negative or the steps exceed limit.
int UnitWidth(const RECT* rect, int narrow, int wide, long long wideCount, long long narrowCount, long long limit);

// count elements from x, bar, space, bar, ... in turn, the first in bit
// count - 1 of pattern, 1 = wide; a space only counts. Returns the width.
int DrawElements(const ElementBox& box, unsigned pattern, int count, int x);

} // namespace lumtar
