// The ISBN symbol: a header line "ISBN <text>" above the EAN-13 of the ISBN.
#include "check/detect.h"
#include "check/isbn.h"
#include "lumtar32.h"
#include "render/rotation.h"
#include "symbols/ean.h"

namespace lumtar {

int DrawIsbnSymbol(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    // Converted first, so that a text whose EAN is not 13 digits (a failed
    // conversion, or non-digits in the body) draws nothing at all.
    char ean[20];
    if (!EanFromIsbn(ean, text) || lstrlenA(ean) != 13 || !IsDigitString(ean)) return 0;

    const UINT savedAlign = SetTextAlign(hdc, TA_CENTER | TA_TOP);
    char header[28];
    const int length = wsprintfA(header, "ISBN %.22s", text); // the header holds 22 characters of the text
    DrawBarText(hdc, (rect->left + rect->right) / 2, rect->top, header, length);
    SetTextAlign(hdc, savedAlign);

    // The header takes one and a half text heights.
    RECT below = *rect;
    below.top = rect->top + (3 * textHeight) / 2;
    return DrawEan13(hdc, ean, &below, textHeight);
}

} // namespace lumtar
