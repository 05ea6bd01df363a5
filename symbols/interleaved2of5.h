// Interleaved 2 of 5 (ISO/IEC 16390).
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// text: an even number of digits, at most 68. Returns 1, or 0 without drawing
// when narrow or wide is negative or the symbol's width in steps does not fit
// 32 bits.
int DrawInterleaved2of5(HDC hdc, const char* text, const RECT* rect, int textHeight, int narrow, int wide);

} // namespace lumtar
