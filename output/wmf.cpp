// BarToWmf: one code drawn into a memory metafile and stored as a placeable
// metafile file (a 22-byte header, then the metafile as recorded).
#include "lumtar32.h"
#include "output/files.h"

extern "C" int LUMTAR_CALL BarToWmf(const char* path, const char* text, const LOGFONTA* font, int width, int height,
                                    int types)
{
    if (!text) return BarErrCode;
    return lumtar::WmfFile(path, width, height, [&](HDC dc, const RECT* rect) { return Bar2Hdc(dc, text, rect, font, types); });
}
