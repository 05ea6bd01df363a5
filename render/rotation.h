// Orientation of the symbol being drawn and the two primitives through which
// every bar and every character reaches the device context.
#pragma once
#include <cstdint>

#include "lumtar32_gdi.h"
#include "render/limits.h"

namespace lumtar {

// Written by the frame at the start of every drawing call, read only by the
// primitives. Renderers lay a symbol out upright: x along the symbol from the
// rectangle's left, y across it from its top.
struct Rotation {
    int32_t angle;   // 900 turned, 0 upright (also the font's escapement)
    int32_t originX; // caller's left; written only when turned
    int32_t originY; // caller's top; written only when turned
    int32_t width;   // right - left of the rectangle the renderer lays out in
};

// One per thread, so that calls drawing on distinct device contexts from
// several threads do not turn each other's symbols. Zero (upright) at first.
extern thread_local Rotation RotationState;

// A bar in upright coordinates.
void DrawBarRect(HDC hdc, int left, int top, int right, int bottom);
// count characters of chars (no terminator needed) with the reference point at
// (x, y) in upright coordinates, in the font and alignment hdc holds.
void DrawBarText(HDC hdc, int x, int y, const char* chars, int count);

} // namespace lumtar
