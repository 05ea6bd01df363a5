// EAN-13 and EAN-8: one layout with different constants. Guard bars stop
// short of rect.bottom by a fraction of the height, data bars by the text
// height.
#include "symbols/ean.h"

#include <cstdlib>

#include "render/rotation.h"
#include "symbols/ean_modules.h"

namespace lumtar {
namespace {

// What tells the two apart.
struct EanShape {
    int dataDigits;    // read from the text; the check digit follows them
    int boxModules;
    int guardDivisor;  // guard bars end |height| / guardDivisor above rect.bottom
    bool leadingDigit; // the first digit has no code: it chooses the left half's number sets
                       // and stands in an 8-module margin
    bool textInside;   // data bars stop short of the text on the side of rect.bottom inside
                       // the rectangle, whichever way it faces
};

// margin, guard, left half, centre, right half and check, guard, margin
constexpr EanShape Ean13{12, 8 + 3 + 6 * 7 + 5 + 6 * 7 + 3 + 4, 15, true, false};
// guard, left half (all number set A), centre, right half and check, guard
constexpr EanShape Ean8{7, 3 + 4 * 7 + 5 + 4 * 7 + 3, 40, false, true};
static_assert(Ean13.boxModules == 107 && Ean8.boxModules == 67);

int DrawEan(HDC hdc, const char* text, const RECT* rect, int textHeight, const EanShape& shape)
{
    char digits[13];
    CopyWithCheckDigit(digits, text, shape.dataDigits);
    const ModuleBox box{hdc, rect, ModuleWidth(rect, shape.boxModules), false, textHeight != 0, 3, rect->bottom};
    const int digitBottom = shape.textInside && rect->top >= rect->bottom ? textHeight : -textHeight;
    const int guardBottom = -(std::abs(rect->top - rect->bottom) / shape.guardDivisor);
    const int lead = shape.leadingDigit ? 1 : 0;
    const unsigned leftSetB = shape.leadingDigit ? EanDigits[digits[0] - '0'].ean13Sets : 0;

    const UINT savedAlign = SetTextAlign(hdc, TA_BOTTOM | TA_CENTER);
    if (lead && textHeight != 0) DrawBarText(hdc, rect->left + 4 * box.moduleWidth, rect->bottom, digits, 1);
    DrawGuardedHalves(box, digits + lead, (shape.dataDigits + 1) / 2, leftSetB, 8 * lead, digitBottom, guardBottom);
    SetTextAlign(hdc, savedAlign);
    return 1;
}

} // namespace

int DrawEan13(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    return DrawEan(hdc, text, rect, textHeight, Ean13);
}

int DrawEan8(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    return DrawEan(hdc, text, rect, textHeight, Ean8);
}

} // namespace lumtar
