// EAN-8 on a 67-module box that the symbol fills; all left digits number set A.
#include "symbols/ean8.h"

#include <cstdlib>

#include "check/checkdigit.h"
#include "render/rotation.h"
#include "symbols/ean_modules.h"

namespace lumtar {
namespace {

constexpr int Box = 3 + 4 * 7 + 5 + 4 * 7 + 3; // guard, left half, centre, right half and check, guard
static_assert(Box == 67);

const EanDigitRecord& Digit(char c) { return EanDigitPatterns[c - '0']; }

} // namespace

int DrawEan8(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    const int w = std::abs(rect->left - rect->right) / Box;
    // Data bars stop short of the text line on the side of rect.bottom that
    // lies inside the rectangle; guard bars by a fortieth of the height.
    const int dataBottom = rect->top < rect->bottom ? -textHeight : textHeight;
    const int guardBottom = -(std::abs(rect->top - rect->bottom) / 40);
    const char checkChar = static_cast<char>('0' + Ean8CheckDigit(text));
    auto drawChar = [&](const char* c, int module) {
        if (textHeight != 0) DrawBarText(hdc, rect->left + module * w, rect->bottom, c, 1);
    };

    const UINT savedAlign = SetTextAlign(hdc, TA_BOTTOM | TA_CENTER);
    DrawEanModules(hdc, EanNormalGuard, rect, 0, 3, guardBottom, Box);
    for (int i = 0; i < 4; ++i) {
        const int m = 3 + 7 * i;
        DrawEanModules(hdc, Digit(text[i]).SetA, rect, m, 7, dataBottom, Box);
        drawChar(text + i, m + 3);
    }
    DrawEanRightHalf(hdc, rect, Box, 31, text + 4, 3, checkChar, dataBottom, guardBottom, textHeight);

    SetTextAlign(hdc, savedAlign);
    return 1;
}

} // namespace lumtar
