// Handles, stock objects, fonts, and the deletion of objects.
#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <utility>

#include "platform/gdi.h"
#include "platform/metafile.h"

namespace lumtar::platform {

// Constant-initialised, so that a lookup passes no guard of a static.
constinit std::array<std::atomic<registry::Slot*>, registry::ChunkCount> registry::chunks{};

namespace {

using namespace registry;

struct Registry {
    ShortLock lock;
    std::vector<uint32_t> freeIndices;
    uint32_t nextIndex = 1; // index 0 is never used, so no handle is small
};

Registry& Reg()
{
    static Registry* instance = new Registry; // lives as long as the process
    return *instance;
}


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
        std::pair<int, Object*> all[18]; // stock index (-1: none) and object
        int count = 0;
        for (int i = 0; i < 6; ++i) all[count++] = {i, &brushes[i]};
        for (int i = 0; i < 3; ++i) all[count++] = {6 + i, &pens[i]};
        for (int i = 0; i < 7; ++i) all[count++] = {fontIndex[i], &fonts[i]};
        all[count++] = {DEFAULT_PALETTE, &palette};
        all[count++] = {-1, &defaultBitmap};
        for (int i = 0; i < count; ++i) {
            all[i].second->stock = true;
            const HGDIOBJ handle = Register(all[i].second);
            if (!handle) {
                while (i-- > 0) Unregister(all[i].second);
                throw std::bad_alloc();
            }
            if (all[i].first >= 0) byIndex[all[i].first] = handle;
        }
    }
};

StockObjects& Stock()
{
    static StockObjects* stock = new StockObjects; // never destroyed, like GDI's
    return *stock;
}

template <class T> HGDIOBJ RegisterNew(T* object)
{
    if (!object) return nullptr;
    HGDIOBJ h = Register(object);
    if (!h) delete object;
    return h;
}

} // namespace

ShortLock& RegistryLock() { return Reg().lock; }

HGDIOBJ Register(Object* object)
{
    Registry& r = Reg();
    std::lock_guard<ShortLock> guard(r.lock);
    uint32_t index;
    if (!r.freeIndices.empty()) {
        index = r.freeIndices.back();
        r.freeIndices.pop_back();
    } else {
        if (r.nextIndex > IndexMask) return nullptr;
        // Room for every index to come back, so that Unregister never allocates.
        if (r.freeIndices.capacity() < r.nextIndex) {
            try {
                r.freeIndices.reserve(2 * std::size_t(r.nextIndex));
            } catch (...) {
                return OutOfMemory<HGDIOBJ>(nullptr);
            }
        }
        index = r.nextIndex++;
        auto& chunk = chunks[index >> ChunkBits];
        if (!chunk.load(std::memory_order_relaxed)) {
            Slot* fresh = new (std::nothrow) Slot[ChunkSize];
            if (!fresh) {
                --r.nextIndex;
                return OutOfMemory<HGDIOBJ>(nullptr);
            }
            chunk.store(fresh, std::memory_order_release);
        }
    }
    Slot* slot = SlotAt(index);
    slot->generation = slot->generation % 2047 + 1; // 1 .. 2047, never 0
    const uintptr_t handle = (slot->generation << IndexBits) | index;
    object->handle = handle;
    slot->object.store(object, std::memory_order_release);
    slot->handle.store(handle, std::memory_order_release);
    return reinterpret_cast<HGDIOBJ>(handle);
}

void Unregister(Object* object)
{
    Registry& r = Reg();
    std::lock_guard<ShortLock> guard(r.lock);
    const uintptr_t index = object->handle & IndexMask;
    Slot* slot = SlotAt(index);
    if (!slot || slot->handle.load(std::memory_order_relaxed) != object->handle) return;
    slot->handle.store(0, std::memory_order_release);
    slot->object.store(nullptr, std::memory_order_release);
    r.freeIndices.push_back(static_cast<uint32_t>(index));
}

Object* ReleaseSelection(Object* object)
{
    if (!object || object->stock) return nullptr;
    if (--object->selections > 0 || !object->deletePending) return nullptr;
    if (object->kind == Kind::Bitmap) static_cast<Bitmap*>(object)->selectedIn = nullptr;
    return object;
}

HGDIOBJ DefaultBitmap() { return HandleOf(&Stock().defaultBitmap); }
HGDIOBJ DeviceDefaultFont() { return Stock().byIndex[DEVICE_DEFAULT_FONT]; }

HGDIOBJ NewBrush(UINT style, COLORREF color, UINT hatch)
{
    auto* b = New<Brush>();
    if (!b) return nullptr;
    b->style = style;
    b->color = color & 0xFFFFFF;
    b->hatch = hatch;
    return RegisterNew(b);
}

HGDIOBJ NewPen(UINT style, POINT width, COLORREF color)
{
    auto* p = New<Pen>();
    if (!p) return nullptr;
    p->style = style;
    p->width = width;
    p->color = color & 0xFFFFFF;
    return RegisterNew(p);
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
    auto* f = New<Font>();
    if (!f) return nullptr;
    f->logfont = *logfont;
    // The face is kept as a string: what follows its terminator is dropped,
    // and a face that fills all 32 bytes unterminated is no face at all.
    char* face = f->logfont.lfFaceName;
    const void* end = std::memchr(logfont->lfFaceName, 0, LF_FACESIZE);
    const std::size_t length = end ? static_cast<const char*>(end) - logfont->lfFaceName : 0;
    std::memset(face + length, 0, LF_FACESIZE - length);
    return static_cast<HFONT>(RegisterNew(f));
} catch (...) {
    return OutOfMemory(nullptr);
}

BOOL WINAPI DeleteObject(HGDIOBJ handle)
try {
    Object* o = Lookup(handle);
    if (!o || o->kind == Kind::Metafile) return FALSE;
    if (o->kind == Kind::Dc) return DeleteDC(static_cast<HDC>(handle));
    if (o->stock) return TRUE;
    std::vector<HDC> recordedIn;
    {
        std::lock_guard<ShortLock> guard(RegistryLock());
        recordedIn.swap(o->recordedIn);
    }
    for (HDC dc : recordedIn) MetaForgetObject(dc, o->handle);
    {
        std::lock_guard<ShortLock> guard(RegistryLock());
        if (o->selections > 0) {
            o->deletePending = true; // freed when its last DC lets it go
            return TRUE;
        }
    }
    Unregister(o);
    delete o;
    return TRUE;
} catch (...) {
    return OutOfMemory(FALSE);
}

// A closed metafile's bits: its size, or as much of them as the buffer holds.
UINT WINAPI GetMetaFileBitsEx(HMETAFILE metafile, UINT size, LPVOID bits)
try {
    MetafileBits* m = MetafileOf(metafile);
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
    MetafileBits* m = MetafileOf(metafile);
    if (!m) return FALSE;
    Unregister(m);
    KeepMetafileBytes(m->bytes);
    delete m;
    return TRUE;
} catch (...) {
    return OutOfMemory(FALSE);
}

} // extern "C"
