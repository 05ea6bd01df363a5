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

void DrawEanRightHalf(HDC hdc, const RECT* rect, int boxModules, int centre, const char* digits, int count,
                      char checkChar, int dataBottom, int guardBottom, int textHeight)
{
    const int w = std::abs(rect->left - rect->right) / boxModules;
    auto drawChar = [&](const char* c, int module) {
        if (textHeight != 0) DrawBarText(hdc, rect->left + module * w, rect->bottom, c, 1);
    };
    DrawEanModules(hdc, EanCentreGuard, rect, centre, 5, guardBottom, boxModules);
    int m = centre + 5;
    for (int j = 0; j < count; ++j, m += 7) {
        DrawEanModules(hdc, EanDigitPatterns[digits[j] - '0'].SetC, rect, m, 7, dataBottom, boxModules);
        drawChar(digits + j, m + 3);
    }
    DrawEanModules(hdc, EanDigitPatterns[checkChar - '0'].SetC, rect, m, 7, dataBottom, boxModules);
    drawChar(&checkChar, m + 3);
    DrawEanModules(hdc, EanNormalGuard, rect, m + 7, 3, guardBottom, boxModules);
}

} // namespace lumtar
