// Handles, stock objects, fonts, and the deletion of objects.
#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <utility>

#include "platform/gdi.h"
#include "platform/metafile.h"

namespace lumtar::platform {

namespace {

// --- Stock objects, with the logical values GDI records for them ---

Brush MakeBrush(UINT style, COLORREF color)
{
    Brush b;
    b.style = style;
    b.color = color;
    return b;
}

Pen MakePen(UINT style, LONG width, COLORREF color)
{
    Pen p;
    p.style = style;
    p.width = {width, 0};
    p.color = color;
    return p;
}

Font MakeFont(LONG height, LONG width, LONG weight, BYTE charSet, BYTE pitchAndFamily, const char* face)
{
    Font f;
    f.logfont.lfHeight = height;
    f.logfont.lfWidth = width;
    f.logfont.lfWeight = weight;
    f.logfont.lfCharSet = charSet;
    f.logfont.lfPitchAndFamily = pitchAndFamily;
    std::strncpy(f.logfont.lfFaceName, face, LF_FACESIZE - 1);
    return f;
}

struct StockObjects {
    Brush brushes[6] = {
        MakeBrush(0, 0xFFFFFF), // WHITE_BRUSH
        MakeBrush(0, 0xC0C0C0), // LTGRAY_BRUSH
        MakeBrush(0, 0x808080), // GRAY_BRUSH
        MakeBrush(0, 0x404040), // DKGRAY_BRUSH
        MakeBrush(0, 0x000000), // BLACK_BRUSH
        MakeBrush(1, 0x000000), // NULL_BRUSH (BS_NULL)
    };
    Pen pens[3] = {
        MakePen(0, 0, 0xFFFFFF), // WHITE_PEN
        MakePen(0, 0, 0x000000), // BLACK_PEN
        MakePen(5, 1, 0x000000), // NULL_PEN (PS_NULL)
    };
    // Indices 10 to 17 less DEFAULT_PALETTE (15).
    Font fonts[7] = {
        MakeFont(12, 0, 400, 255, 0x31, ""),              // OEM_FIXED_FONT
        MakeFont(12, 0, 400, 0, 0x31, "Courier"),         // ANSI_FIXED_FONT
        MakeFont(12, 0, 400, 0, 0x22, "MS Sans Serif"),   // ANSI_VAR_FONT
        MakeFont(16, 7, 700, 0, 0x22, "System"),          // SYSTEM_FONT
        MakeFont(16, 0, 700, 0, 0x22, "System"),          // DEVICE_DEFAULT_FONT
        MakeFont(16, 0, 400, 0, 0x31, "Courier"),         // SYSTEM_FIXED_FONT
        MakeFont(-11, 0, 400, 0, 0x22, "MS Shell Dlg"),   // DEFAULT_GUI_FONT
    };
    Palette palette;        // DEFAULT_PALETTE
    Bitmap defaultBitmap;   // the 1 x 1 bitmap of a fresh memory DC
    HGDIOBJ byIndex[18] = {};

    // All or none: a stock object missing for lack of memory would be missing
    // for the life of the process, so unless every one is registered the set
    // is given up, and the next call makes it again.
    StockObjects()
    {
        if (!RasterCreate(defaultBitmap.raster, 1, 1)) throw std::bad_alloc();
        const int fontIndex[7] = {OEM_FIXED_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, SYSTEM_FONT,
                                  DEVICE_DEFAULT_FONT, SYSTEM_FIXED_FONT, DEFAULT_GUI_FONT};
        std::pair<int, GdiObject*> all[18]; // stock index (-1: none) and object
        int count = 0;
        for (int i = 0; i < 6; ++i) all[count++] = {i, &brushes[i]};
        for (int i = 0; i < 3; ++i) all[count++] = {6 + i, &pens[i]};
        for (int i = 0; i < 7; ++i) all[count++] = {fontIndex[i], &fonts[i]};
        all[count++] = {DEFAULT_PALETTE, &palette};
        all[count++] = {-1, &defaultBitmap};
        for (int i = 0; i < count; ++i) {
            all[i].second->stock = true;
            const HGDIOBJ handle = AddHandle(Unowned(all[i].second));
            if (!handle) {
                while (i-- > 0) RemoveHandle(*all[i].second);
                throw std::bad_alloc();
            }
            if (all[i].first >= 0) byIndex[all[i].first] = handle;
        }
    }

    // Stock objects live as long as the process: their pointers share no
    // ownership, so holding one counts nothing.
    template <class T> static std::shared_ptr<T> Unowned(T* object) { return std::shared_ptr<T>(std::shared_ptr<T>(), object); }
};

StockObjects& Stock()
{
    static StockObjects* stock = new StockObjects; // never destroyed, like GDI's
    return *stock;
}

} // namespace

bool ReleaseSelection(GdiObject* object)
{
    if (!object || object->stock) return false;
    if (object->kind == Kind::Bitmap) static_cast<Bitmap*>(object)->selectedIn = nullptr;
    return --object->selections == 0 && object->deletePending;
}

HGDIOBJ DefaultBitmap() { return HandleOf(Stock().defaultBitmap); }
HGDIOBJ DeviceDefaultFont() { return Stock().byIndex[DEVICE_DEFAULT_FONT]; }

HGDIOBJ NewBrush(UINT style, COLORREF color, UINT hatch)
{
    auto b = Make<Brush>();
    if (!b) return nullptr;
    b->style = style;
    b->color = color & 0xFFFFFF;
    b->hatch = hatch;
    return Register(std::move(b));
}

HGDIOBJ NewPen(UINT style, POINT width, COLORREF color)
{
    auto p = Make<Pen>();
    if (!p) return nullptr;
    p->style = style;
    p->width = width;
    p->color = color & 0xFFFFFF;
    return Register(std::move(p));
}

} // namespace lumtar::platform

using namespace lumtar::platform;

extern "C" {

HGDIOBJ WINAPI GetStockObject(int object)
try {
    if (object < 0 || object > DEFAULT_GUI_FONT) return nullptr;
    return Stock().byIndex[object];
} catch (...) {
    return OutOfMemory(nullptr);
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* logfont)
try {
    if (!logfont) return nullptr;
    auto f = Make<Font>();
    if (!f) return nullptr;
    f->logfont = *logfont;
    // The face is kept as a string: what follows its terminator is dropped,
    // and a face that fills all 32 bytes unterminated is no face at all.
    char* face = f->logfont.lfFaceName;
    const void* end = std::memchr(logfont->lfFaceName, 0, LF_FACESIZE);
    const std::size_t length = end ? static_cast<const char*>(end) - logfont->lfFaceName : 0;
    std::memset(face + length, 0, LF_FACESIZE - length);
    return static_cast<HFONT>(Register(std::move(f)));
} catch (...) {
    return OutOfMemory(nullptr);
}

BOOL WINAPI DeleteObject(HGDIOBJ handle)
try {
    const std::shared_ptr<GdiObject> o = Lookup(handle);
    if (!o || o->kind == Kind::Metafile || o->kind == Kind::Memory) return FALSE;
    if (o->kind == Kind::Dc) return DeleteDC(static_cast<HDC>(handle));
    if (o->stock) return TRUE;
    std::vector<HDC> recordedIn;
    {
        std::lock_guard guard(HandleLock());
        recordedIn.swap(o->recordedIn);
    }
    for (HDC dc : recordedIn) MetaForgetObject(dc, o->handle);
    std::lock_guard guard(HandleLock());
    if (o->selections > 0) {
        o->deletePending = true; // its handle goes when its last DC lets it go
        return HasHandleLocked(*o);
    }
    return RemoveHandleLocked(*o);
} catch (...) {
    return OutOfMemory(FALSE);
}

// A closed metafile's bits: its size, or as much of them as the buffer holds.
UINT WINAPI GetMetaFileBitsEx(HMETAFILE metafile, UINT size, LPVOID bits)
try {
    const std::shared_ptr<MetafileBits> m = MetafileOf(metafile);
    if (!m) return 0;
    const UINT total = static_cast<UINT>(m->bytes.size());
    if (!bits) return total;
    const UINT copied = std::min(size, total);
    std::memcpy(bits, m->bytes.data(), copied);
    return copied;
} catch (...) {
    return OutOfMemory(UINT{0});
}

BOOL WINAPI DeleteMetaFile(HMETAFILE metafile)
try {
    const std::shared_ptr<MetafileBits> m = MetafileOf(metafile);
    return m && RemoveHandle(*m);
} catch (...) {
    return OutOfMemory(FALSE);
}

} // extern "C"
