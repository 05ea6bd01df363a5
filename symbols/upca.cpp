// UPC-A, an EAN-13 with a leading 0: all left digits number set A. The
// symbol fills modules 2 to 96 of a 99-module box, every dark module its own
// rectangle; guard bars reach rect.bottom, and the digits stand below in two
// groups of six.
#include "symbols/upca.h"


#include "render/rotation.h"
#include "symbols/ean_modules.h"

namespace lumtar {

int DrawUpcA(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    char digits[12]; // the eleven of the text and the check digit
    CopyWithCheckDigit(digits, text, 11);
    const ModuleBox box{hdc, rect, ModuleWidth(rect, 99), true, false, 0, 0};
    DrawGuardedHalves(box, digits, 6, 0, 2, -textHeight, 0);

    if (textHeight == 0) return 1;
    SetTextAlign(hdc, TA_BOTTOM | TA_CENTER);
    DrawBarText(hdc, rect->left + 25 * box.moduleWidth, rect->bottom, digits, 6);
    DrawBarText(hdc, rect->left + 75 * box.moduleWidth, rect->bottom, digits + 6, 6);
    SetTextAlign(hdc, TA_LEFT | TA_TOP); // left at 0, whatever it was
    return 1;
}

} // namespace lumtar
