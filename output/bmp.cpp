// BarToBmp: one code drawn into a monochrome memory bitmap and stored as an
// uncompressed 1-bit BMP file.
#include "lumtar32.h"
#include "output/files.h"

extern "C" int LUMTAR_CALL BarToBmp(const char* path, const char* text, const LOGFONTA* font, int pixelWidth,
                                    int pixelHeight, int physWidth, int physHeight, int types)
{
    if (!text) return BarErrCode;
    return lumtar::BmpFile(path, pixelWidth, pixelHeight, physWidth, physHeight,
                           [&](HDC dc, const RECT* rect) { return Bar2Hdc(dc, text, rect, font, types); });
}
