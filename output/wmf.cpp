// BarToWmf: one code drawn into a memory metafile and stored as a placeable
// metafile file (a 22-byte header, then the metafile as recorded).
#include <cstdint>

#include "lumtar32.h"
#include "output/headers.h"
#include "render/rotation.h"

namespace lumtar {
namespace {

// width - 100 without signed overflow for the extremes nobody should pass.
int Less(int value, int amount) { return static_cast<int>(static_cast<uint32_t>(value) - static_cast<uint32_t>(amount)); }

// The drawing rectangle's far edge, size - 100, must lie within GDI's
// coordinate space (27 bits and a sign), where the frame draws.
bool EdgeInCoordinateSpace(int size)
{
    const int64_t edge = int64_t{size} - 100;
    return edge >= -MaxCoordinate && edge <= MaxCoordinate;
}

} // namespace
} // namespace lumtar

using namespace lumtar;

extern "C" int LUMTAR_CALL BarToWmf(const char* path, const char* text, const LOGFONTA* font, int width, int height,
                                    int types)
{
    if (!text) return BarErrCode;
    if (!path) return BarErrFile;
    // A picture larger than the coordinate space cannot be recorded; the text
    // may well fit, so this is no BarErrCode.
    if (!EdgeInCoordinateSpace(width) || !EdgeInCoordinateSpace(height)) return BarErrGdi;

    HDC dc = CreateMetaFileA(nullptr);
    if (!dc) return BarErrGdi;
    // Recorded ahead of the drawing: the player maps this window onto its target.
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, width, height, nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);

    RECT rect;
    SetRect(&rect, 50, 50, Less(width, 100), Less(height, 100));
    const int drawn = Bar2Hdc(dc, text, &rect, font, types);

    // The bits go into memory whatever was drawn: a failure there outranks a
    // text that fits no type.
    HMETAFILE metafile = CloseMetaFile(dc);
    const UINT size = metafile ? GetMetaFileBitsEx(metafile, 0, nullptr) : 0;
    HGLOBAL block = size ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size) : nullptr;
    UINT copied = 0;
    if (block) {
        if (void* bits = GlobalLock(block)) {
            copied = GetMetaFileBitsEx(metafile, size, bits);
            GlobalUnlock(block);
        }
    }
    if (metafile) DeleteMetaFile(metafile);

    const auto* bits = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!bits || copied != size) {
        if (bits) GlobalUnlock(block);
        if (block) GlobalFree(block);
        return BarErrGdi;
    }
    const SIZE_T blockSize = GlobalSize(block);

    uint8_t header[PlaceableHeaderSize];
    PutPlaceableHeader(header, width, height);

    int result = BarOk;
    if (!drawn) {
        result = BarErrCode; // decided before the file system is touched
    } else {
        const HFILE file = _lcreat(path, 0);
        if (file == HFILE_ERROR) {
            result = BarErrFile;
        } else {
            if (_lwrite(file, reinterpret_cast<const char*>(header), PlaceableHeaderSize) != PlaceableHeaderSize ||
                _lwrite(file, bits, static_cast<UINT>(blockSize)) != blockSize)
                result = BarErrFile;
            _lclose(file);
        }
    }
    GlobalUnlock(block);
    GlobalFree(block);
    return result;
}
