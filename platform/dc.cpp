// Device contexts: memory DCs painting into a monochrome bitmap, metafile
// DCs recording instead, and what both select and draw (state.cpp has the
// state calls).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <type_traits>

#include "platform/gdi.h"
#include "platform/metafile.h"

namespace lumtar::platform {
namespace {

constexpr UINT BS_NULL = 1;
constexpr UINT PS_NULL = 5;

// Logical to device coordinates, computed as GDI does: a scale and offset in
// double precision, the result rounded half up.
struct Transform {
    bool identity = true;
    double m11 = 1, m22 = 1, dx = 0, dy = 0;

    explicit Transform(const Dc& dc)
    {
        if (dc.mapMode != MM_ANISOTROPIC && dc.mapMode != MM_ISOTROPIC) {
            identity = dc.windowOrg.x == 0 && dc.windowOrg.y == 0 && dc.viewportOrg.x == 0 && dc.viewportOrg.y == 0;
            dx = static_cast<double>(dc.viewportOrg.x) - dc.windowOrg.x;
            dy = static_cast<double>(dc.viewportOrg.y) - dc.windowOrg.y;
            return;
        }
        identity = false;
        m11 = static_cast<double>(dc.viewportExt.cx) / dc.windowExt.cx;
        m22 = static_cast<double>(dc.viewportExt.cy) / dc.windowExt.cy;
        dx = dc.viewportOrg.x - m11 * dc.windowOrg.x;
        dy = dc.viewportOrg.y - m22 * dc.windowOrg.y;
    }
    static int Round(double v)
    {
        v = std::floor(v + 0.5);
        return v > 2147483647.0 ? 2147483647 : v < -2147483648.0 ? -2147483647 - 1 : static_cast<int>(v);
    }
    POINT Apply(int x, int y) const
    {
        if (identity) return {x, y};
        return {Round(x * m11 + dx), Round(y * m22 + dy)};
    }
    RECT Rect(int left, int top, int right, int bottom) const
    {
        const POINT a = Apply(left, top), b = Apply(right, bottom);
        RECT r{a.x, a.y, b.x, b.y};
        if (r.left > r.right) std::swap(r.left, r.right);
        if (r.top > r.bottom) std::swap(r.top, r.bottom);
        return r;
    }
};

// A memory DC's pointers to what it has selected; the raster is null while
// it holds its 1 x 1 default bitmap.
void Remember(Dc& dc, GdiObject& object)
{
    switch (object.kind) {
    case Kind::Brush: dc.brushObject = static_cast<const Brush*>(&object); break;
    case Kind::Pen: dc.penObject = static_cast<const Pen*>(&object); break;
    case Kind::Font: dc.fontObject = static_cast<const Font*>(&object); break;
    case Kind::Bitmap: dc.target = object.stock ? nullptr : &static_cast<Bitmap&>(object).raster; break;
    default: break;
    }
}

HGDIOBJ* SelectionSlot(Dc& dc, Kind kind)
{
    switch (kind) {
    case Kind::Brush: return &dc.brush;
    case Kind::Pen: return &dc.pen;
    case Kind::Font: return &dc.font;
    case Kind::Bitmap: return &dc.bitmap;
    default: return nullptr;
    }
}

// The caller holds the table's lock, under which the selection counts
// change and the object it looked up stays.
HGDIOBJ MemorySelectObject(Dc& dc, GdiObject& object)
{
    HGDIOBJ* slot = SelectionSlot(dc, object.kind);
    if (!slot) return nullptr;
    HGDIOBJ handle = HandleOf(object);
    if (*slot == handle) return handle;
    if (object.kind == Kind::Bitmap && !object.stock) {
        auto& b = static_cast<Bitmap&>(object);
        if (b.selectedIn) return nullptr; // a bitmap lives in one DC at a time
        b.selectedIn = static_cast<HDC>(HandleOf(dc));
    }
    if (!object.stock) ++object.selections;
    GdiObject* old = LookupLocked(*slot);
    HGDIOBJ previous = *slot;
    *slot = handle;
    Remember(dc, object);
    if (ReleaseSelection(old)) RemoveHandleLocked(*old);
    return previous;
}

// Rectangles are held and painted together when the rows are read or text
// is painted over them (see RasterHoldFill).
void FillDevice(Raster& raster, const RECT& r, bool white)
{
    RasterHoldFill(raster, r.left, r.top, r.right, r.bottom, white);
}

// Rectangle as GDI's one-pixel pen draws it: the outline on the outermost
// pixels and the brush inside. A lone pixel is a closed figure of zero-length
// lines and stays unpainted; without a pen the brush covers all but the last
// column and row.
void RectangleInRaster(Dc& dc, Raster& raster, const RECT& r)
{
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width == 0 || height == 0) return;
    const Pen* pen = dc.penObject;
    const Brush* brush = dc.brushObject;
    const bool penShown = pen && pen->style != PS_NULL;
    const bool brushShown = brush && brush->style != BS_NULL;
    if (!penShown) {
        if (brushShown) FillDevice(raster, {r.left, r.top, r.right - 1, r.bottom - 1}, IsWhite(brush->color));
        return;
    }
    if (width == 1 && height == 1) return;
    const bool penWhite = IsWhite(pen->color);
    if (brushShown) {
        RasterHoldRectangle(raster, r.left, r.top, r.right, r.bottom, penWhite, IsWhite(brush->color));
        return;
    }
    FillDevice(raster, {r.left, r.top, r.right, r.top + 1}, penWhite);
    FillDevice(raster, {r.left, r.bottom - 1, r.right, r.bottom}, penWhite);
    FillDevice(raster, {r.left, r.top, r.left + 1, r.bottom}, penWhite);
    FillDevice(raster, {r.right - 1, r.top, r.right, r.bottom}, penWhite);
}

// The font as the raster sees it: its height and width scaled to device units.
LOGFONTA DeviceFont(const Dc& dc, const Transform& t, const LOGFONTA& logical)
{
    LOGFONTA f = logical;
    if (!t.identity) {
        f.lfHeight = Transform::Round(logical.lfHeight * std::fabs(t.m22));
        f.lfWidth = Transform::Round(logical.lfWidth * std::fabs(t.m11));
    }
    return f;
}

} // namespace

// The DC this thread last worked on, kept for its next call, which then
// takes the DC's lock alone and not the table's first: per call, BarToWmf
// 37.6 k -> 29.8 k instructions, Bar2Hdc + GetDIBits 77.5 k -> 69.6 k.
// Calls read the handle and the pointer from the thread's static block; the
// reference that keeps the DC is a thread_local of its own, touched only when
// the kept DC changes (a thread_local with a destructor is reached through
// __tls_get_addr twice per read): BarToWmf 29.3 k -> 27.7 k instructions,
// Bar2Hdc + GetDIBits 63.0 k -> 61.7 k.
[[gnu::tls_model("initial-exec")]] constinit thread_local LastDc lastDc{};

namespace {

struct KeptDc {
    std::shared_ptr<Dc> dc;
    ~KeptDc() { lastDc = {}; }
};
thread_local KeptDc keptDc;

void Keep(HDC handle, std::shared_ptr<Dc> dc)
{
    lastDc = {handle, dc.get()};
    keptDc.dc = std::move(dc);
}

} // namespace

// A kept DC of the handle, found deleted, is let go first.
Dc* LockFound(HDC hdc)
{
    if (lastDc.handle == hdc) Keep(nullptr, nullptr);
    std::shared_ptr<Dc> found = LookupAs<Dc>(hdc, Kind::Dc);
    if (!found) return nullptr;
    found->lock.lock();
    if (found->deleted) { // deleted between the lookup and the lock
        found->lock.unlock();
        return nullptr;
    }
    Dc* dc = found.get();
    Keep(hdc, std::move(found));
    return dc;
}

void LetGo(Dc* dc)
{
    if (lastDc.dc == dc) Keep(nullptr, nullptr);
}

} // namespace lumtar::platform

using namespace lumtar::platform;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC hdc)
try {
    if (hdc && !LockedDc(hdc)) return nullptr;
    auto dc = Make<Dc>();
    if (!dc) return nullptr;
    dc->brush = GetStockObject(WHITE_BRUSH);
    dc->pen = GetStockObject(BLACK_PEN);
    dc->font = GetStockObject(SYSTEM_FONT);
    dc->bitmap = DefaultBitmap();
    for (HGDIOBJ h : {dc->brush, dc->pen, dc->font, dc->bitmap})
        if (std::shared_ptr<GdiObject> o = Lookup(h)) Remember(*dc, *o); // stock objects: never freed
    return static_cast<HDC>(Register(std::move(dc)));
} catch (...) {
    return OutOfMemory(nullptr);
}

// The DC's handle goes first, so that of two DeleteDC calls racing, one
// lets go of the selections.
BOOL WINAPI DeleteDC(HDC hdc)
try {
    LockedDc dc(hdc);
    if (!dc) return FALSE;
    std::lock_guard guard(HandleLock());
    if (!RemoveHandleLocked(*dc)) return FALSE;
    dc->deleted = true;
    if (dc->metafile) {
        for (int i = 0; i < dc->recorder.slotCount; ++i) {
            const uintptr_t h = TableSlot(dc->recorder, i);
            GdiObject* o = h ? LookupLocked(reinterpret_cast<void*>(h)) : nullptr;
            if (o) std::erase(o->recordedIn, hdc);
        }
        dc->recorder = Recorder{}; // its bytes need not wait for a thread that kept the DC
        return TRUE;
    }
    for (HGDIOBJ h : {dc->brush, dc->pen, dc->font, dc->bitmap}) {
        GdiObject* o = LookupLocked(h);
        if (ReleaseSelection(o)) RemoveHandleLocked(*o);
    }
    dc->brushObject = nullptr, dc->penObject = nullptr, dc->fontObject = nullptr, dc->target = nullptr;
    return TRUE;
} catch (...) {
    return OutOfMemory(FALSE);
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object)
try {
    LockedDc dc(hdc);
    if (!dc) return nullptr;
    std::lock_guard guard(HandleLock()); // the object stays until the call is done with it
    GdiObject* o = LookupLocked(object);
    if (!o) return nullptr;
    return dc->metafile ? MetaSelectObject(*dc, *o) : MemorySelectObject(*dc, *o);
} catch (...) {
    return OutOfMemory(nullptr);
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom)
{
    if (!rect) return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop)
try {
    LockedDc dc(hdc);
    if (!dc) return FALSE;
    if (dc->metafile) return MetaPatBlt(*dc, x, y, width, height, rop);
    bool white;
    if (rop == PATCOPY) {
        const Brush* brush = dc->brushObject;
        if (!brush || brush->style == BS_NULL) return TRUE;
        white = IsWhite(brush->color);
    } else if (rop == BLACKNESS || rop == WHITENESS) {
        white = rop == WHITENESS;
    } else {
        return FALSE; // only the pattern and constant operations are painted
    }
    Raster* raster = dc->target;
    if (!raster) return TRUE;
    // Corners to device units; a negative extent covers the pixels from the
    // far corner + 1 up to and including the origin, as GDI's blits do.
    const Transform t(*dc);
    auto clamp = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); };
    const POINT a = t.Apply(x, y), b = t.Apply(clamp(0LL + x + width), clamp(0LL + y + height));
    RECT r{a.x, a.y, b.x, b.y};
    if (r.left > r.right) r = {r.right + 1, r.top, r.left + 1, r.bottom};
    if (r.top > r.bottom) r = {r.left, r.bottom + 1, r.right, r.top + 1};
    FillDevice(*raster, r, white);
    return TRUE;
} catch (...) {
    return OutOfMemory(FALSE);
}

// As in USER: the brush is selected, the rectangle painted with it and the
// previous brush selected back, so a metafile DC records all three steps.
int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
try {
    if (!rect || !LockedDc(hdc)) return FALSE;
    HGDIOBJ previous = SelectObject(hdc, brush);
    PatBlt(hdc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, PATCOPY);
    if (previous) SelectObject(hdc, previous);
    return TRUE;
} catch (...) {
    return OutOfMemory(0);
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom)
try {
    LockedDc dc(hdc);
    if (!dc) return FALSE;
    if (dc->metafile) return MetaRectangle(*dc, left, top, right, bottom);
    Raster* raster = dc->target;
    if (raster) RectangleInRaster(*dc, *raster, Transform(*dc).Rect(left, top, right, bottom));
    return TRUE;
} catch (...) {
    return OutOfMemory(FALSE);
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR chars, int count)
try {
    if (count < 0) return FALSE;
    LockedDc dc(hdc);
    if (!dc) return FALSE;
    if (!chars) count = 0;
    if (dc->metafile) return MetaTextOut(*dc, x, y, chars, count);
    Raster* raster = dc->target;
    if (!raster || count == 0) return TRUE;
    const Transform t(*dc);
    const Font* font = dc->fontObject;
    const bool systemFont = !font || dc->font == GetStockObject(SYSTEM_FONT);
    const LOGFONTA deviceFont = font ? DeviceFont(*dc, t, font->logfont) : LOGFONTA{};
    TextStyle style;
    style.font = systemFont ? nullptr : &deviceFont;
    style.align = dc->textAlign;
    style.textWhite = IsWhite(dc->textColor);
    style.opaque = dc->bkMode == OPAQUE;
    style.backgroundWhite = IsWhite(dc->bkColor);
    const POINT p = t.Apply(x, y);
    RasterText(*raster, style, p.x, p.y, chars, count);
    return TRUE;
} catch (...) {
    return OutOfMemory(FALSE);
}

} // extern "C"
