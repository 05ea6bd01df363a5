// The element writer of the width-coded symbologies (Interleaved 2 of 5 and
// Code 39): bars and spaces of narrow or wide weight in whole units.
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// Logical units per width step, set by the Interleaved 2 of 5 and Code 39
// renderers at the start of every symbol. One per thread, like RotationState.
extern thread_local int UnitWidth;

// The rectangle's width shared out over the symbol's width steps, wideCount
// wide and narrowCount narrow elements: UnitWidth, which may come out 0.
// False, with UnitWidth untouched, when narrow or wide is negative or the
// steps exceed limit.
bool SetUnitWidth(const RECT* rect, int narrow, int wide, long long wideCount, long long narrowCount, long long limit);

// One element UnitWidth * factor wide at x; a bar (bar != 0) runs from rect.top
// to rect.bottom - textHeight, a space only counts. Returns the width.
int DrawElement(HDC hdc, int factor, int bar, const RECT* rect, int textHeight, int x);

} // namespace lumtar
