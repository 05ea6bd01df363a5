// Marks the print layout makes itself, beside the frame's symbols: bearer
// bars, the light margin indicators and ITF-14's line of digits. Drawn in
// the layout's upright coordinates and turned as the frame turns.
#pragma once

#include <string>

#include "lumtar32_gdi.h"

namespace lumtar::print {

// Upright layout coordinates (x along the symbol, y across from its top) onto
// the picture; turned, as the frame turns: x runs up from the area's bottom.
struct Mapper {
    RECT area;
    bool turned;
    int Across() const { return turned ? area.right - area.left : area.bottom - area.top; }
    RECT Map(int left, int top, int right, int bottom) const
    {
        if (!turned) return {area.left + left, area.top + top, area.left + right, area.top + bottom};
        return {area.left + top, area.bottom - right, area.left + bottom, area.bottom - left};
    }
};

// A bar in the stock black brush and pen, as the frame draws its own.
void DrawBar(HDC dc, const Mapper& m, int left, int top, int right, int bottom);

// One line of text with its reference point at (x, y) and the alignment, in
// the face and weight of font at the cell height `height`.
void DrawLine(HDC dc, const Mapper& m, int x, int y, const std::string& chars, UINT align, const LOGFONTA& font,
              int height);

} // namespace lumtar::print
