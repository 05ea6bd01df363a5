// Codabar: seven elements and a narrow gap per character, wide = 2 units,
// narrow = 1; the text carries its own start and stop letters.
#include "symbols/codabar.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "render/rotation.h"

namespace lumtar {
namespace {

// Seven elements in bits 15 to 9, bit 15 first: bar, space, bar, space, bar,
// space, bar; 1 = wide (two units), 0 = narrow (one unit). Bit 8 is read as the
// eighth element, the narrow gap before the next character.
constexpr uint16_t CodabarPatterns[] = {
    0x0600, 0x0C00, 0x1200, 0xC000, 0x2400, // 0 1 2 3 4
    0x8400, 0x4200, 0x4800, 0x6000, 0x9000, // 5 6 7 8 9
    0x1800, 0x3000,                         // - $
    0x8A00, 0xA200, 0xA800, 0x2A00,         // : / . +
    0x3400, 0x3400, 0x5200, 0x5200,         // A a B b
    0x1600, 0x1600, 0x1C00, 0x1C00,         // C c D d
};
static_assert(sizeof(CodabarCharset) - 1 == std::size(CodabarPatterns));
static_assert([] {
    // Digits, "-" and "$" have two wide elements; ":", "/", ".", "+" and the letters three.
    for (std::size_t i = 0; i < std::size(CodabarPatterns); ++i) {
        const auto p = CodabarPatterns[i];
        if ((p & 0x1FF) != 0) return false;
        if (std::popcount(static_cast<unsigned>(p)) != (i < 12 ? 2 : 3)) return false;
    }
    return true;
}(), "Codabar patterns: seven elements, two or three of them wide");

// Word of a character; a character outside the set (none passes detection)
// reads as all narrow.
uint16_t CodabarWord(char c)
{
    const int index = CodabarIndex(c);
    return index < 0 ? 0 : CodabarPatterns[index];
}

// Width of the text in units: 8 plus the number of wide elements per
// character, the gap after the last one included.
int CodabarUnitCount(const char* text)
{
    int units = 0;
    for (; *text; ++text) units += 8 + std::popcount(static_cast<unsigned>(CodabarWord(*text) & 0xFF00));
    return units;
}

} // namespace

int DrawCodabar(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    const int units = CodabarUnitCount(text);
    const int unit = units == 0 ? 0 : std::abs(rect->right - rect->left) / units; // 0 stays 0
    int offset = 0; // from rect.left; 32 bits, so wide rectangles lay out exactly

    const UINT savedAlign = SetTextAlign(hdc, TA_CENTER | TA_BOTTOM);
    for (; *text; ++text) {
        uint16_t word = CodabarWord(*text);
        if (textHeight != 0) DrawBarText(hdc, rect->left + offset + 5 * unit, rect->bottom, text, 1);
        // Bits 15 to 8: bar, space, ... bar, then the gap.
        for (int element = 0; element < 8; ++element, word = static_cast<uint16_t>(word << 1)) {
            const int w = (word & 0x8000) ? unit * 2 : unit;
            if (element % 2 == 0)
                DrawBarRect(hdc, rect->left + offset, rect->top, rect->left + offset + w, rect->bottom - textHeight);
            offset += w;
        }
    }
    SetTextAlign(hdc, savedAlign);
    return 1;
}

} // namespace lumtar
