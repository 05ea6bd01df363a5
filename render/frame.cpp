// The rendering frame: black brush and pen, type detection, orientation, the
// text font, one renderer, the invalid marker, and the caller's objects back.
#include <cstdlib>

#include "check/isbn.h"
#include "lumtar32.h"
#include "render/rotation.h"
#include "symbols/addon.h"
#include "symbols/codabar.h"
#include "symbols/code39.h"
#include "symbols/ean13.h"
#include "symbols/ean8.h"
#include "symbols/interleaved2of5.h"
#include "symbols/upca.h"

namespace lumtar {
namespace {

// lfHeight is a fraction of the symbol's height in 64ths: one eighth.
constexpr LOGFONTA DefaultLogFont = {8, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Courier New"};

constexpr int MaxTextLength = 69;

// A rectangle reaching beyond GDI's coordinate space cannot be drawn as asked,
// and its extents, their sums in the renderers and the turned coordinates
// would no longer fit an int: it is refused like a missing rectangle.
bool InCoordinateSpace(const RECT& r)
{
    for (LONG v : {r.left, r.top, r.right, r.bottom})
        if (v < -MaxCoordinate || v > MaxCoordinate) return false;
    return true;
}
constexpr char InvalidMarker[] = "UNGUELTIG";

// The renderer of the detected type; 0 when it drew nothing.
int DrawSymbol(HDC hdc, int type, const char* text, const RECT* rect, int textHeight, int narrow, int wide)
{
    switch (type) {
    case BarTypIsbn: return DrawIsbnSymbol(hdc, text, rect, textHeight);
    case BarTypEan13: return DrawEan13(hdc, text, rect, textHeight);
    case BarTypEan8: return DrawEan8(hdc, text, rect, textHeight);
    case BarTypUpc12: return DrawUpcA(hdc, text, rect, textHeight);
    case BarTypEan5: return DrawEan5(hdc, text, rect, textHeight);
    case BarTypEan2: return DrawEan2(hdc, text, rect, textHeight);
    case BarTyp2aus5: return DrawInterleaved2of5(hdc, text, rect, textHeight, narrow, wide);
    case BarTypCodabar: return DrawCodabar(hdc, text, rect, textHeight);
    case BarTyp3aus9: return DrawCode39(hdc, text, rect, textHeight, narrow, wide);
    default: return 0;
    }
}

} // namespace
} // namespace lumtar

using namespace lumtar;

extern "C" int LUMTAR_CALL Bar2HdcEx(HDC hdc, const char* text, const RECT* rect, const LOGFONTA* font, int types,
                                     int narrow, int wide)
{
    if (!hdc || !text || !rect || !InCoordinateSpace(*rect)) return 0;
    int result = 0;

    HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(BLACK_PEN));

    int type = BarCodeTyp(text, types);
    char copy[MaxTextLength + 1];
    lstrcpynA(copy, text, sizeof copy);
    // A longer text would be drawn cut short, as other data than the caller's.
    // (An Interleaved 2 of 5 text is even, so it keeps to 68 digits.)
    if (lstrlenA(copy) == MaxTextLength && text[MaxTextLength] != '\0') type = 0;

    // Higher than wide: lay the symbol out in the turned rectangle, whose x
    // runs up the caller's rectangle.
    RECT turned;
    const RECT* use = rect;
    if (std::abs(rect->right - rect->left) < std::abs(rect->bottom - rect->top)) {
        turned = {0, 0, rect->bottom - rect->top, rect->right - rect->left};
        RotationState.originX = rect->left;
        RotationState.originY = rect->top;
        RotationState.angle = 900;
        use = &turned;
    } else {
        RotationState.angle = 0;
    }
    RotationState.width = use->right - use->left;

    int textHeight = 0;
    HFONT createdFont = nullptr;
    HGDIOBJ oldFont = nullptr;
    if (font != BarFontNone) {
        LOGFONTA logFont = (font == BarFontDefault || font == BarFontBold) ? DefaultLogFont : *font;
        if (font == BarFontBold) logFont.lfWeight = FW_BOLD;
        textHeight = std::abs(MulDiv(logFont.lfHeight, std::abs(use->top - use->bottom), 64));
        // A caller's height may ask for text taller than the coordinate space;
        // it is held there, so that the renderers' offsets by it stay in range.
        if (textHeight > MaxCoordinate) textHeight = MaxCoordinate;
        logFont.lfHeight = textHeight;
        logFont.lfEscapement = RotationState.angle;
        createdFont = CreateFontIndirectA(&logFont);
        oldFont = SelectObject(hdc, createdFont);
    }

    if (narrow == 0) narrow = 1;
    if (wide == 0) wide = 3;

    result = DrawSymbol(hdc, type, copy, use, textHeight, narrow, wide);
    // Nothing fits (or the symbol could not be drawn): the marker at the left
    // edge and vertical middle, in the alignment the device context has.
    if (result == 0) DrawBarText(hdc, use->left, (use->top + use->bottom) / 2, InvalidMarker, 9);

    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
    if (font != BarFontNone) {
        SelectObject(hdc, oldFont);
        DeleteObject(createdFont);
    }
    return result;
}

extern "C" int LUMTAR_CALL Bar2Hdc(HDC hdc, const char* text, const RECT* rect, const LOGFONTA* font, int types)
{
    return Bar2HdcEx(hdc, text, rect, font, types, 0, 0);
}
