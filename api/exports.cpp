// The ten exported functions but the two file outputs (api/formats.cpp): the
// arguments checked, then the frame, the type detection, a conversion or the
// clipboard. lumtar32.def lists them with their ordinals; their contracts are
// in lumtar32.h. The drawing exports run under the guard (api/guard.h):
// memory that runs out anywhere in them gives their failure value.
#include "lumtar32.h"

#include "api/guard.h"
#include "check/detect.h"
#include "check/isbn.h"
#include "output/clipboard.h"
#include "render/frame.h"
#include "render/limits.h"

using namespace lumtar;

// ------------------------------------------------------------------ drawing

extern "C" int LUMTAR_CALL Bar2HdcEx(HDC hdc, const char* text, const RECT* rect, const LOGFONTA* font, int types,
                                     int narrow, int wide)
{
    // A rectangle beyond the coordinate space is refused like a missing one.
    if (!hdc || !text || !rect || !InCoordinateSpace(*rect)) return 0;
    return Guarded(0, [&] { return DrawCode(hdc, text, *rect, font, types, narrow, wide); });
}

extern "C" int LUMTAR_CALL Bar2Hdc(HDC hdc, const char* text, const RECT* rect, const LOGFONTA* font, int types)
{
    return Bar2HdcEx(hdc, text, rect, font, types, 0, 0);
}

// ---------------------------------------------------------------- clipboard

extern "C" int LUMTAR_CALL BarToClipboardEx(const char* text, const LOGFONTA* font, int xExt, int yExt, int types,
                                            int narrow, int wide)
{
    if (!text) return 0;
    return Guarded(0, [&] { return PutOnClipboard(text, font, xExt, yExt, types, narrow, wide); });
}

extern "C" int LUMTAR_CALL BarToClipboard(const char* text, const LOGFONTA* font, int xExt, int yExt, int types)
{
    return BarToClipboardEx(text, font, xExt, yExt, types, 0, 0);
}

// ------------------------------------------------------ detection and names

extern "C" int LUMTAR_CALL BarCodeTyp(const char* text, int types)
{
    if (!text) return 0;
    return DetectType(text, types);
}

extern "C" const char* LUMTAR_CALL BarCodeName(int type) { return TypeName(type); }

// ---------------------------------------------------------- ISBN <-> EAN-13

extern "C" int LUMTAR_CALL BarIsbnFromEan(char* isbnOut, const char* ean)
{
    if (!isbnOut || !ean) return 0;
    return IsbnFromEan(isbnOut, ean);
}

extern "C" int LUMTAR_CALL BarEanFromIsbn(char* eanOut, const char* isbn)
{
    if (!eanOut || !isbn) return 0;
    return EanFromIsbn(eanOut, isbn);
}
