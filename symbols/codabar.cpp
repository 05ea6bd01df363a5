// Codabar: seven elements and a narrow gap per character, wide = 2 units,
// narrow = 1; the text carries its own start and stop letters.
#include "symbols/codabar.h"

#include <cstdlib>

#include "render/rotation.h"

namespace lumtar {
namespace {

// Word of a character; a character outside the set (none passes detection)
// reads as all narrow.
uint16_t CodabarWord(char c)
{
    const int index = CodabarIndex(c);
    return index < 0 ? 0 : CodabarPatterns[index];
}

} // namespace

int CodabarUnitCount(const char* text)
{
    int units = 0;
    for (; *text; ++text) units += 8 + std::popcount(static_cast<unsigned>(CodabarWord(*text) & 0xFF00));
    return units;
}

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
