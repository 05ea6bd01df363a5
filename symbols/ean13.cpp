// EAN-13 on a 107-module box: 8 blank modules carrying the leading digit, the
// 95 modules of the symbol, 4 blank modules.
#include "symbols/ean13.h"

#include <cstdlib>

#include "check/checkdigit.h"
#include "render/rotation.h"
#include "symbols/ean_modules.h"

namespace lumtar {
namespace {

constexpr int Box = 8 + 3 + 6 * 7 + 5 + 6 * 7 + 3 + 4; // margin, guard, left half, centre, right half and check, guard, margin
static_assert(Box == 107);

const EanDigitRecord& Digit(char c) { return EanDigitPatterns[c - '0']; }

} // namespace

int DrawEan13(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    const int w = std::abs(rect->left - rect->right) / Box;
    const int dataBottom = -textHeight;
    const int guardBottom = -(std::abs(rect->top - rect->bottom) / 15);
    const char checkChar = static_cast<char>('0' + Ean13CheckDigit(text));
    auto drawChar = [&](const char* c, int module) {
        if (textHeight != 0) DrawBarText(hdc, rect->left + module * w, rect->bottom, c, 1);
    };

    const UINT savedAlign = SetTextAlign(hdc, TA_BOTTOM | TA_CENTER);
    drawChar(text, 4); // the leading digit, in the left margin
    DrawEanModules(hdc, EanNormalGuard, rect, 8, 3, guardBottom, Box);

    // The leading digit chooses number set A or B for each left-half digit.
    uint16_t parity = Digit(text[0]).Parity;
    for (int j = 0; j < 6; ++j, parity = static_cast<uint16_t>(parity << 1)) {
        const int m = 11 + 7 * j;
        const EanDigitRecord& d = Digit(text[1 + j]);
        DrawEanModules(hdc, (parity & 0x8000) ? d.SetB : d.SetA, rect, m, 7, dataBottom, Box);
        drawChar(text + 1 + j, m + 3);
    }
    DrawEanRightHalf(hdc, rect, Box, 53, text + 7, 5, checkChar, dataBottom, guardBottom, textHeight);

    SetTextAlign(hdc, savedAlign);
    return 1;
}

} // namespace lumtar
