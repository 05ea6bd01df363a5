// The clipboard output behind BarToClipboardEx.
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// One code drawn by the frame into a memory metafile with a fixed square
// frame and put on the clipboard as a CF_METAFILEPICT of xExt x yExt. The
// picture replaces the clipboard's content even when only the invalid marker
// was drawn. text is not null. Returns the frame's result.
int PutOnClipboard(const char* text, const LOGFONTA* font, int xExt, int yExt, int types, int narrow, int wide);

} // namespace lumtar
