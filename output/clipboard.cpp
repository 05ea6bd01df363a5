// The clipboard output: one code drawn into a memory metafile with a fixed
// square frame and put on the clipboard as a metafile picture.
#include "output/clipboard.h"

#include "render/frame.h"

namespace lumtar {
namespace {

// The logical frame: window -100 .. 29899 on both axes, the symbol in
// (0, 0, 29800, 29800), so always upright.
constexpr int WindowExtent = 29999;
constexpr int WindowOrigin = -100;
constexpr int SymbolExtent = 29800;

} // namespace

int PutOnClipboard(const char* text, const LOGFONTA* font, int xExt, int yExt, int types, int narrow, int wide)
{
    HDC dc = CreateMetaFileA(nullptr);
    if (!dc) return 0;
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, WindowExtent, WindowExtent, nullptr);
    SetWindowOrgEx(dc, WindowOrigin, WindowOrigin, nullptr);

    RECT rect;
    SetRect(&rect, 0, 0, SymbolExtent, SymbolExtent);
    const int drawn = DrawCode(dc, text, rect, font, types, narrow, wide);
    HMETAFILE metafile = CloseMetaFile(dc);

    // The picture replaces the clipboard's content even when only the invalid
    // marker was drawn; the result reports the drawing alone.
    OpenClipboard(GetFocus());
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, sizeof(METAFILEPICT));
    auto* picture = block ? static_cast<METAFILEPICT*>(GlobalLock(block)) : nullptr;
    bool handedOver = false;
    if (picture) {
        picture->mm = MM_ANISOTROPIC;
        picture->xExt = xExt;
        picture->yExt = yExt;
        picture->hMF = metafile;
        GlobalUnlock(block);
        // Once the clipboard accepts the block, it owns the block and the metafile.
        handedOver = SetClipboardData(CF_METAFILEPICT, block) != nullptr;
    }
    CloseClipboard();
    if (!handedOver) {
        if (block) GlobalFree(block);
        if (metafile) DeleteMetaFile(metafile);
    }
    return drawn;
}

} // namespace lumtar
