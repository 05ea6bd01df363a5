#include "symbols/ean_modules.h"

#include <cstdlib>

#include "render/rotation.h"

namespace lumtar {

int DrawEanModules(HDC hdc, uint16_t pattern, const RECT* rect, int startModule, int moduleCount, int bottomOffset,
                   int boxModules)
{
    const int w = std::abs(rect->right - rect->left) / boxModules; // truncates; the rest stays blank
    const int bottom = rect->bottom + bottomOffset;
    int runStart = rect->left + startModule * w;
    int x = runStart;
    for (int i = 0; i < moduleCount; ++i, pattern = static_cast<uint16_t>(pattern << 1)) {
        if (pattern & 0x8000) {
            x += w; // the bar grows
            continue;
        }
        if (x != runStart) DrawBarRect(hdc, runStart, rect->top, x, bottom);
        x += w;
        runStart = x;
    }
    if (x != runStart) DrawBarRect(hdc, runStart, rect->top, x, bottom);
    return moduleCount;
}

} // namespace lumtar
