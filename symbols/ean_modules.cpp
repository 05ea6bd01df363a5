#include "symbols/ean_modules.h"

#include <cstdlib>
#include <cstring>

#include "check/checkdigit.h"
#include "render/rotation.h"

namespace lumtar {

void CopyWithCheckDigit(char* digits, const char* text, int count)
{
    std::memcpy(digits, text, count);
    digits[count] = static_cast<char>('0' + Gs1CheckDigit(text, count));
}

int ModuleWidth(const RECT* rect, int boxModules) { return std::abs(rect->right - rect->left) / boxModules; }

int DrawModules(const ModuleBox& box, Modules pattern, int start, int bottomOffset)
{
    const int w = box.moduleWidth;
    const int top = box.rect->top, bottom = box.rect->bottom + bottomOffset;
    int runStart = box.rect->left + start * w;
    int x = runStart;
    for (int bit = pattern.count - 1; bit >= 0; --bit) {
        if ((pattern.bits >> bit) & 1) {
            x += w; // the bar grows
            if (!box.rectanglePerModule) continue;
            DrawBarRect(box.hdc, runStart, top, x, bottom); // drawn even when w is 0
            runStart = x;
            continue;
        }
        if (x != runStart) DrawBarRect(box.hdc, runStart, top, x, bottom);
        x += w;
        runStart = x;
    }
    if (x != runStart) DrawBarRect(box.hdc, runStart, top, x, bottom);
    return start + pattern.count;
}

int DrawDigits(const ModuleBox& box, const DigitRun& run, int start, int bottomOffset)
{
    int m = start;
    for (int i = 0; i < run.count; ++i) {
        const bool setB = (run.setB >> (run.count - 1 - i)) & 1;
        const Modules code{EanDigits[run.digits[i] - '0'].codes[setB ? SetB : run.set], 7};
        const int codeStart = m;
        m = DrawModules(box, code, m, bottomOffset);
        if (i != run.count - 1 && run.separator.count != 0) m = DrawModules(box, run.separator, m, bottomOffset);
        if (box.digitText)
            DrawBarText(box.hdc, box.rect->left + (codeStart + box.textModule) * box.moduleWidth, box.textY,
                        run.digits + i, 1);
    }
    return m;
}

void DrawGuardedHalves(const ModuleBox& box, const char* digits, int count, unsigned leftSetB, int start,
                       int digitBottom, int guardBottom)
{
    int m = DrawModules(box, NormalGuard, start, guardBottom);
    m = DrawDigits(box, {digits, count, SetA, leftSetB}, m, digitBottom);
    m = DrawModules(box, CentreGuard, m, guardBottom);
    m = DrawDigits(box, {digits + count, count, SetC}, m, digitBottom);
    DrawModules(box, NormalGuard, m, guardBottom);
}

} // namespace lumtar
