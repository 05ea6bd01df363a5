// GDI's logical coordinate space, the one range every drawing call and every
// picture size is held to.
#pragma once
#include <cstdint>

#include "lumtar32_gdi.h"

namespace lumtar {

// GDI keeps logical coordinates within 27 bits and a sign. The frame draws
// only into rectangles inside this range, and the file outputs refuse
// picture sizes that would take their drawing rectangle beyond it.
constexpr int32_t MaxCoordinate = (1 << 27) - 1; // 134217727

constexpr bool InCoordinateSpace(int64_t value) { return value >= -MaxCoordinate && value <= MaxCoordinate; }

// A rectangle reaching beyond the coordinate space cannot be drawn as asked,
// and its extents, their sums in the renderers and the turned coordinates
// would no longer fit an int.
constexpr bool InCoordinateSpace(const RECT& r)
{
    return InCoordinateSpace(r.left) && InCoordinateSpace(r.top) && InCoordinateSpace(r.right) &&
           InCoordinateSpace(r.bottom);
}

} // namespace lumtar
