// The rendering frame: black brush and pen, type detection, orientation, the
// text font, one renderer, the invalid marker, and the caller's objects back.
#include "render/frame.h"

#include <cstdlib>

#include "check/detect.h"
#include "check/isbn.h"
#include "lumtar32.h"
#include "render/rotation.h"
#include "symbols/addon.h"
#include "symbols/codabar.h"
#include "symbols/code39.h"
#include "symbols/ean.h"
#include "symbols/interleaved2of5.h"
#include "symbols/upca.h"

namespace lumtar {
namespace {

// lfHeight is a fraction of the symbol's height in 64ths: one eighth.
constexpr LOGFONTA DefaultLogFont = {8, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Courier New"};

constexpr int MaxTextLength = 69;
constexpr char InvalidMarker[] = "UNGUELTIG";

// The type to draw and the text the renderer sees: its first 69 characters.
// A longer text would be drawn cut short, as other data than the caller's, so
// it fits no type. (An Interleaved 2 of 5 text is even, so it keeps to 68 digits.)
int DrawableType(const char* text, int types, char (&copy)[MaxTextLength + 1])
{
    int type = DetectType(text, types);
    lstrcpynA(copy, text, sizeof copy);
    if (lstrlenA(copy) == MaxTextLength && text[MaxTextLength] != '\0') type = 0;
    return type;
}

// Higher than wide: the symbol is laid out in the turned rectangle, whose x
// runs up the caller's rectangle. Sets RotationState; returns the rectangle
// the renderer lays out in (rect itself, or turned).
const RECT& Orient(const RECT& rect, RECT& turned)
{
    const RECT* use = &rect;
    if (std::abs(rect.right - rect.left) < std::abs(rect.bottom - rect.top)) {
        turned = {0, 0, rect.bottom - rect.top, rect.right - rect.left};
        RotationState.originX = rect.left;
        RotationState.originY = rect.top;
        RotationState.angle = 900;
        use = &turned;
    } else {
        RotationState.angle = 0;
    }
    RotationState.width = use->right - use->left;
    return *use;
}

// The text font selected into hdc, and what to restore afterwards.
struct TextFont {
    int height = 0; // 0: no text
    HFONT created = nullptr;
    HGDIOBJ previous = nullptr;
};

// The caller's font (or the default, or the bold default) at its height as a
// fraction of the layout rectangle's height, turned with the symbol.
TextFont SelectTextFont(HDC hdc, const LOGFONTA* font, const RECT& use)
{
    TextFont selected;
    if (font == BarFontNone) return selected;
    LOGFONTA logFont = (font == BarFontDefault || font == BarFontBold) ? DefaultLogFont : *font;
    if (font == BarFontBold) logFont.lfWeight = FW_BOLD;
    selected.height = std::abs(MulDiv(logFont.lfHeight, std::abs(use.top - use.bottom), 64));
    // A caller's height may ask for text taller than the coordinate space;
    // it is held there, so that the renderers' offsets by it stay in range.
    if (selected.height > MaxCoordinate) selected.height = MaxCoordinate;
    logFont.lfHeight = selected.height;
    logFont.lfEscapement = RotationState.angle;
    selected.created = CreateFontIndirectA(&logFont);
    selected.previous = SelectObject(hdc, selected.created);
    return selected;
}

void RestoreTextFont(HDC hdc, const TextFont& font)
{
    SelectObject(hdc, font.previous);
    DeleteObject(font.created);
}

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

int DrawCode(HDC hdc, const char* text, const RECT& rect, const LOGFONTA* font, int types, int narrow, int wide)
{
    HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(BLACK_PEN));

    char copy[MaxTextLength + 1];
    const int type = DrawableType(text, types, copy);
    RECT turned;
    const RECT& use = Orient(rect, turned);
    const TextFont textFont = SelectTextFont(hdc, font, use);

    const int result = DrawSymbol(hdc, type, copy, &use, textFont.height, narrow == 0 ? 1 : narrow,
                                  wide == 0 ? 3 : wide);
    // Nothing fits (or the symbol could not be drawn): the marker at the left
    // edge and vertical middle, in the alignment the device context has.
    if (result == 0) DrawBarText(hdc, use.left, (use.top + use.bottom) / 2, InvalidMarker, 9);

    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
    if (font != BarFontNone) RestoreTextFont(hdc, textFont);
    return result;
}

} // namespace lumtar
