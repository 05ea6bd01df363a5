#include "render/rotation.h"

namespace lumtar {

thread_local Rotation RotationState{};

// Turned, the symbol's x axis runs up the caller's rectangle (x = 0 on its
// bottom edge, x = width on its top) and its y axis to the right from the
// caller's left edge: a quarter turn anticlockwise on a y-down device.
void DrawBarRect(HDC hdc, int left, int top, int right, int bottom)
{
    const Rotation& r = RotationState;
    if (r.angle != 0)
        Rectangle(hdc, r.originX + top, r.originY + r.width - right, r.originX + bottom, r.originY + r.width - left);
    else
        Rectangle(hdc, left, top, right, bottom);
}

void DrawBarText(HDC hdc, int x, int y, const char* chars, int count)
{
    const Rotation& r = RotationState;
    if (r.angle != 0)
        TextOutA(hdc, r.originX + y, r.originY + r.width - x, chars, count);
    else
        TextOutA(hdc, x, y, chars, count);
}

} // namespace lumtar
