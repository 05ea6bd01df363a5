// Codabar: seven elements and a narrow gap per character, wide = 2 units,
// narrow = 1; the text carries its own start and stop letters.
#include "symbols/codabar.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "render/rotation.h"
#include "symbols/elements.h"

namespace lumtar {
namespace {

// Seven elements, the first in bit 6: bar, space, bar, space, bar, space,
// bar; 1 = wide (two units), 0 = narrow (one unit).
constexpr uint8_t CodabarPatterns[] = {
    0b0000011, 0b0000110, 0b0001001, 0b1100000, 0b0010010, // 0 1 2 3 4
    0b1000010, 0b0100001, 0b0100100, 0b0110000, 0b1001000, // 5 6 7 8 9
    0b0001100, 0b0011000,                                   // - $
    0b1000101, 0b1010001, 0b1010100, 0b0010101,             // : / . +
    0b0011010, 0b0011010, 0b0101001, 0b0101001,             // A a B b
    0b0001011, 0b0001011, 0b0001110, 0b0001110,             // C c D d
};
static_assert(sizeof(CodabarCharset) - 1 == std::size(CodabarPatterns));
static_assert([] {
    // Digits, "-" and "$" have two wide elements; ":", "/", ".", "+" and the letters three.
    for (std::size_t i = 0; i < std::size(CodabarPatterns); ++i) {
        const auto p = CodabarPatterns[i];
        if (p >= 0x80) return false;
        if (std::popcount(p) != (i < 12 ? 2 : 3)) return false;
    }
    return true;
}(), "Codabar patterns: seven elements, two or three of them wide");

// Pattern of a character; a character outside the set (none passes
// detection) reads as all narrow.
unsigned CodabarPattern(char c)
{
    const int index = CodabarIndex(c);
    return index < 0 ? 0 : CodabarPatterns[index];
}

// Width of the text in units: 8 plus the number of wide elements per
// character, the gap after the last one included.
int CodabarUnitCount(const char* text)
{
    int units = 0;
    for (; *text; ++text) units += 8 + std::popcount(CodabarPattern(*text));
    return units;
}

} // namespace

int DrawCodabar(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    const int units = CodabarUnitCount(text);
    const int unit = units == 0 ? 0 : std::abs(rect->right - rect->left) / units; // 0 stays 0
    const ElementBox box{hdc, rect->top, rect->bottom - textHeight, unit, 1, 2};

    const UINT savedAlign = SetTextAlign(hdc, TA_CENTER | TA_BOTTOM);
    for (int x = rect->left; *text; ++text) {
        if (textHeight != 0) DrawBarText(hdc, x + 5 * unit, rect->bottom, text, 1);
        x += DrawElements(box, CodabarPattern(*text) << 1, 8, x); // and the narrow gap
    }
    SetTextAlign(hdc, savedAlign);
    return 1;
}

} // namespace lumtar
