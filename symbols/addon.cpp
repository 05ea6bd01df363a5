// EAN-5 and EAN-2 add-ons: one layout with different constants; the digits
// stand above the bars, in a band of textHeight at the rectangle's top.
#include "symbols/addon.h"

#include <bit>
#include <cstdint>
#include <cstdlib>

#include "render/rotation.h"
#include "symbols/ean_modules.h"

namespace lumtar {
namespace {

int Value(char c) { return c - '0'; }

// Number sets of the digits, bit 15 the first digit, 1 = number set B.
constexpr int32_t Ean5ParityPatterns[10] = {
    0b11000 << 11, // 0  B B A A A
    0b10100 << 11, // 1  B A B A A
    0b10010 << 11, // 2  B A A B A
    0b10001 << 11, // 3  B A A A B
    0b01100 << 11, // 4  A B B A A
    0b00110 << 11, // 5  A A B B A
    0b00011 << 11, // 6  A A A B B
    0b01010 << 11, // 7  A B A B A
    0b01001 << 11, // 8  A B A A B
    0b00101 << 11, // 9  A A B A B
};
constexpr int32_t Ean2ParityPatterns[4] = {
    0b00 << 14, // 0  A A
    0b01 << 14, // 1  A B
    0b10 << 14, // 2  B A
    0b11 << 14, // 3  B B
};
static_assert([] {
    for (int i = 0; i < 10; ++i) {
        if (std::popcount(static_cast<uint32_t>(Ean5ParityPatterns[i])) != 2) return false;
        if (Ean5ParityPatterns[i] & ~0xF800) return false;
        for (int j = 0; j < i; ++j)
            if (Ean5ParityPatterns[j] == Ean5ParityPatterns[i]) return false;
    }
    return true;
}(), "EAN-5 number sets: two B of five, every index its own combination");

// (3 (d0 + d2 + d4) + 9 (d1 + d3)) mod 10
int Ean5ParityIndex(const char* text)
{
    const int odd = Value(text[0]) + Value(text[2]) + Value(text[4]);
    const int even = Value(text[1]) + Value(text[3]);
    return (3 * odd + 9 * even) % 10;
}

// the two-digit value mod 4
int Ean2ParityIndex(const char* text) { return (10 * Value(text[0]) + Value(text[1])) % 4; }

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
