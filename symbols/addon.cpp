// EAN-5 and EAN-2 add-ons: one layout with different constants; the digits
// stand above the bars, in a band of textHeight at the rectangle's top.
#include "symbols/addon.h"

#include <cstdlib>

#include "render/rotation.h"
#include "symbols/ean_modules.h"

namespace lumtar {
namespace {

int Value(char c) { return c - '0'; }

int DrawAddOn(HDC hdc, const char* text, const RECT* rect, int textHeight, int digits, int boxModules, int32_t parity)
{
    const int w = std::abs(rect->left - rect->right) / boxModules;
    RECT bars = *rect;
    bars.top = rect->top + textHeight;
    const int bottom = -(std::abs(rect->top - rect->bottom) / 40); // from the rectangle passed in

    const UINT savedAlign = SetTextAlign(hdc, TA_TOP | TA_CENTER);
    DrawEanModules(hdc, AddOnStartGuard, &bars, 0, 4, bottom, boxModules);
    for (int i = 0; i < digits; ++i, parity <<= 1) {
        const int m = 4 + 9 * i; // 7 modules of the digit, 2 of the separator
        const EanDigitRecord& d = EanDigitPatterns[Value(text[i])];
        DrawEanModules(hdc, (parity & 0x8000) ? d.SetB : d.SetA, &bars, m, 7, bottom, boxModules);
        if (i != digits - 1) DrawEanModules(hdc, AddOnSeparator, &bars, m + 7, 2, bottom, boxModules);
        if (textHeight != 0) DrawBarText(hdc, rect->left + (m + 4) * w, rect->top, text + i, 1);
    }
    SetTextAlign(hdc, savedAlign);
    return 1;
}

} // namespace

int Ean5ParityIndex(const char* text)
{
    const int odd = Value(text[0]) + Value(text[2]) + Value(text[4]);
    const int even = Value(text[1]) + Value(text[3]);
    return (3 * odd + 9 * even) % 10;
}

int Ean2ParityIndex(const char* text) { return (10 * Value(text[0]) + Value(text[1])) % 4; }

int DrawEan5(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    constexpr int Box = 4 + 5 * 7 + 4 * 2 + 2; // guard, digits, separators, blank
    static_assert(Box == 49);
    return DrawAddOn(hdc, text, rect, textHeight, 5, Box, Ean5ParityPatterns[Ean5ParityIndex(text)]);
}

int DrawEan2(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    constexpr int Box = 4 + 2 * 7 + 2 + 2; // guard, digits, separator, blank
    static_assert(Box == 22);
    return DrawAddOn(hdc, text, rect, textHeight, 2, Box, Ean2ParityPatterns[Ean2ParityIndex(text)]);
}

} // namespace lumtar
