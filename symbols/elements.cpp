#include "symbols/elements.h"

#include <cstdlib>

#include "render/rotation.h"

namespace lumtar {

thread_local int UnitWidth = 0;

bool SetUnitWidth(const RECT* rect, int narrow, int wide, long long wideCount, long long narrowCount, long long limit)
{
    if (narrow < 0 || wide < 0) return false;
    const long long steps = wideCount * wide + narrowCount * narrow;
    if (steps > limit) return false;
    UnitWidth = std::abs(rect->right - rect->left) / static_cast<int>(steps);
    return true;
}

int DrawElement(HDC hdc, int factor, int bar, const RECT* rect, int textHeight, int x)
{
    const int width = UnitWidth * factor;
    if (bar) DrawBarRect(hdc, x, rect->top, x + width, rect->bottom - textHeight);
    return width;
}

} // namespace lumtar
