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

// Number sets of the digits, the first digit in the highest bit, 1 = number set B.
constexpr uint8_t Ean5SetChoices[10] = {
    0b11000, // 0  B B A A A
    0b10100, // 1  B A B A A
    0b10010, // 2  B A A B A
    0b10001, // 3  B A A A B
    0b01100, // 4  A B B A A
    0b00110, // 5  A A B B A
    0b00011, // 6  A A A B B
    0b01010, // 7  A B A B A
    0b01001, // 8  A B A A B
    0b00101, // 9  A A B A B
};
constexpr uint8_t Ean2SetChoices[4] = {
    0b00, // 0  A A
    0b01, // 1  A B
    0b10, // 2  B A
    0b11, // 3  B B
};
static_assert([] {
    for (int i = 0; i < 10; ++i) {
        if (std::popcount(Ean5SetChoices[i]) != 2 || Ean5SetChoices[i] >= 32) return false;
        for (int j = 0; j < i; ++j)
            if (Ean5SetChoices[j] == Ean5SetChoices[i]) return false;
    }
    return true;
}(), "EAN-5 number sets: two B of five, every index its own combination");

// (3 (d0 + d2 + d4) + 9 (d1 + d3)) mod 10
int Ean5SetIndex(const char* text)
{
    const int odd = Value(text[0]) + Value(text[2]) + Value(text[4]);
    const int even = Value(text[1]) + Value(text[3]);
    return (3 * odd + 9 * even) % 10;
}

// the two-digit value mod 4
int Ean2SetIndex(const char* text) { return (10 * Value(text[0]) + Value(text[1])) % 4; }

// Start guard, then the digits with a separator between two, each digit's
// character above its code.
int DrawAddOn(HDC hdc, const char* text, const RECT* rect, int textHeight, int digits, int boxModules,
              unsigned setB)
{
    RECT bars = *rect;
    bars.top = rect->top + textHeight;
    const ModuleBox box{hdc, &bars, ModuleWidth(rect, boxModules), false, textHeight != 0, 4, rect->top};
    const int bottom = -(std::abs(rect->top - rect->bottom) / 40); // from the rectangle passed in

    const UINT savedAlign = SetTextAlign(hdc, TA_TOP | TA_CENTER);
    const int m = DrawModules(box, AddOnStartGuard, 0, bottom);
    DrawDigits(box, {text, digits, SetA, setB, AddOnSeparator}, m, bottom);
    SetTextAlign(hdc, savedAlign);
    return 1;
}

} // namespace

int DrawEan5(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    constexpr int Box = 4 + 5 * 7 + 4 * 2 + 2; // guard, digits, separators, blank
    static_assert(Box == 49);
    return DrawAddOn(hdc, text, rect, textHeight, 5, Box, Ean5SetChoices[Ean5SetIndex(text)]);
}

int DrawEan2(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    constexpr int Box = 4 + 2 * 7 + 2 + 2; // guard, digits, separator, blank
    static_assert(Box == 22);
    return DrawAddOn(hdc, text, rect, textHeight, 2, Box, Ean2SetChoices[Ean2SetIndex(text)]);
}

} // namespace lumtar
