// The rendering frame behind Bar2HdcEx: the code drawn onto a device context.
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// Black brush and pen, the first type of types that text fits, the
// orientation, the text font, one renderer (or the invalid marker when none
// fits or draws), and the caller's objects back. font is a LOGFONTA or one of
// BarFontDefault, BarFontNone, BarFontBold; narrow and wide 0 stand for 1 and
// 3. hdc, text and rect are the caller's, already checked (rect within the
// coordinate space). Returns 1 when a symbol was drawn, 0 otherwise.
int DrawCode(HDC hdc, const char* text, const RECT& rect, const LOGFONTA* font, int types, int narrow, int wide);

} // namespace lumtar
