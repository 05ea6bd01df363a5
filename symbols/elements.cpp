#include "symbols/elements.h"

#include <cstdlib>

#include "render/rotation.h"

namespace lumtar {

int UnitWidth(const RECT* rect, int narrow, int wide, long long wideCount, long long narrowCount, long long limit)
{
    if (narrow < 0 || wide < 0) return -1;
    const long long steps = wideCount * wide + narrowCount * narrow;
    if (steps > limit) return -1;
    return std::abs(rect->right - rect->left) / static_cast<int>(steps);
}

int DrawElements(const ElementBox& box, unsigned pattern, int count, int x)
{
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const int width = box.unit * ((pattern >> (count - 1 - i)) & 1 ? box.wide : box.narrow);
        if (i % 2 == 0) DrawBarRect(box.hdc, x + written, box.top, x + written + width, box.bottom);
        written += width;
    }
    return written;
}

} // namespace lumtar
