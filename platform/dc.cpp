// Device contexts: memory DCs painting into a monochrome bitmap, and the
// state calls shared with metafile DCs, which record instead of painting.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/gdi.h"

namespace lumtar::platform {
namespace {

constexpr UINT BS_NULL = 1;
constexpr UINT PS_NULL = 5;

uint16_t Lo(uint32_t v) { return static_cast<uint16_t>(v); }
uint16_t Hi(uint32_t v) { return static_cast<uint16_t>(v >> 16); }
uint16_t Word(int v) { return static_cast<uint16_t>(v); } // a 16-bit field keeps the low bits

Dc* DcOf(HDC hdc) { return LookupAs<Dc>(hdc, Kind::Dc); }

template <std::size_t N> void Record(Dc& dc, uint16_t function, const uint16_t (&params)[N])
{
    RecordParams(dc, function, params, N);
}

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

// The raster a memory DC paints into; null while it holds its 1 x 1 default.
Raster* Target(Dc& dc)
{
    auto* b = LookupAs<Bitmap>(dc.bitmap, Kind::Bitmap);
    return b && !b->stock ? &b->raster : nullptr;
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

HGDIOBJ MemorySelectObject(Dc& dc, Object* object)
{
    HGDIOBJ* slot = SelectionSlot(dc, object->kind);
    if (!slot) return nullptr;
    HGDIOBJ handle = HandleOf(object);
    if (*slot == handle) return handle;
    Object* dead = nullptr;
    {
        std::lock_guard<std::mutex> guard(RegistryLock());
        if (object->kind == Kind::Bitmap && !object->stock) {
            auto* b = static_cast<Bitmap*>(object);
            if (b->selectedIn) return nullptr; // a bitmap lives in one DC at a time
            b->selectedIn = static_cast<HDC>(HandleOf(&dc));
        }
        if (!object->stock) ++object->selections;
        Object* old = Lookup(*slot);
        if (old && old->kind == Kind::Bitmap && !old->stock) static_cast<Bitmap*>(old)->selectedIn = nullptr;
        dead = ReleaseSelection(old);
    }
    HGDIOBJ previous = *slot;
    *slot = handle;
    if (dead) {
        Unregister(dead);
        delete dead;
    }
    return previous;
}

void FillDevice(Raster& raster, const RECT& r, bool white)
{
    RasterFill(raster, r.left, r.top, r.right, r.bottom, white);
}

// Rectangle as GDI's one-pixel pen draws it: the outline on the outermost
// pixels and the brush inside. A lone pixel is a closed figure of zero-length
// lines and stays unpainted; without a pen the brush covers all but the last
// column and row.
void PaintRectangle(Dc& dc, Raster& raster, const RECT& r)
{
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width == 0 || height == 0) return;
    auto* pen = LookupAs<Pen>(dc.pen, Kind::Pen);
    auto* brush = LookupAs<Brush>(dc.brush, Kind::Brush);
    const bool penShown = pen && pen->style != PS_NULL;
    const bool brushShown = brush && brush->style != BS_NULL;
    if (!penShown) {
        if (brushShown) FillDevice(raster, {r.left, r.top, r.right - 1, r.bottom - 1}, IsWhite(brush->color));
        return;
    }
    if (width == 1 && height == 1) return;
    const bool penWhite = IsWhite(pen->color);
    if (brushShown) {
        RasterRectangle(raster, r.left, r.top, r.right, r.bottom, penWhite, IsWhite(brush->color));
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
} // namespace lumtar::platform

using namespace lumtar::platform;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC hdc)
{
    if (hdc && !DcOf(hdc)) return nullptr;
    auto* dc = new (std::nothrow) Dc;
    if (!dc) return nullptr;
    dc->brush = GetStockObject(WHITE_BRUSH);
    dc->pen = GetStockObject(BLACK_PEN);
    dc->font = GetStockObject(SYSTEM_FONT);
    dc->bitmap = DefaultBitmap();
    HGDIOBJ h = Register(dc);
    if (!h) delete dc;
    return static_cast<HDC>(h);
}

BOOL WINAPI DeleteDC(HDC hdc)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return FALSE;
    std::vector<Object*> dead;
    {
        std::lock_guard<std::mutex> dcGuard(dc->lock);
        std::lock_guard<std::mutex> guard(RegistryLock());
        if (dc->metafile) {
            for (uintptr_t h : dc->recorder.slots) {
                Object* o = h ? Lookup(reinterpret_cast<void*>(h)) : nullptr;
                if (o) std::erase(o->recordedIn, hdc);
            }
        } else {
            for (HGDIOBJ h : {dc->brush, dc->pen, dc->font, dc->bitmap}) {
                Object* o = Lookup(h);
                if (o && o->kind == Kind::Bitmap && !o->stock) static_cast<Bitmap*>(o)->selectedIn = nullptr;
                if (Object* d = ReleaseSelection(o)) dead.push_back(d);
            }
        }
    }
    Unregister(dc);
    delete dc;
    for (Object* o : dead) {
        Unregister(o);
        delete o;
    }
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object)
{
    Dc* dc = DcOf(hdc);
    Object* o = Lookup(object);
    if (!dc || !o) return nullptr;
    std::lock_guard<std::mutex> guard(dc->lock);
    return dc->metafile ? MetaSelectObject(*dc, object) : MemorySelectObject(*dc, o);
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return GDI_ERROR;
    std::lock_guard<std::mutex> guard(dc->lock);
    if (dc->metafile) {
        Record(*dc, META_SETTEXTALIGN, {Lo(align), Hi(align)});
        return TRUE;
    }
    const UINT previous = dc->textAlign;
    dc->textAlign = align;
    return previous;
}

UINT WINAPI GetTextAlign(HDC hdc)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return 0;
    std::lock_guard<std::mutex> guard(dc->lock);
    return dc->metafile ? 0 : dc->textAlign; // a metafile DC keeps no alignment to report
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return CLR_INVALID;
    std::lock_guard<std::mutex> guard(dc->lock);
    if (dc->metafile) {
        Record(*dc, META_SETTEXTCOLOR, {Lo(color), Hi(color)});
        return TRUE;
    }
    const COLORREF previous = dc->textColor;
    dc->textColor = color;
    return previous;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return CLR_INVALID;
    std::lock_guard<std::mutex> guard(dc->lock);
    if (dc->metafile) {
        Record(*dc, META_SETBKCOLOR, {Lo(color), Hi(color)});
        return TRUE;
    }
    const COLORREF previous = dc->bkColor;
    dc->bkColor = color;
    return previous;
}

int WINAPI SetBkMode(HDC hdc, int mode)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return 0;
    std::lock_guard<std::mutex> guard(dc->lock);
    if (dc->metafile) {
        Record(*dc, META_SETBKMODE, {Word(mode)});
        return TRUE;
    }
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    const int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

int WINAPI SetMapMode(HDC hdc, int mode)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return 0;
    std::lock_guard<std::mutex> guard(dc->lock);
    if (dc->metafile) {
        Record(*dc, META_SETMAPMODE, {Word(mode)});
        return TRUE;
    }
    const int previous = dc->mapMode;
    if (mode == previous) return previous;
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
    // The metric modes have no device size to scale by here; they map as MM_TEXT.
    if (mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) dc->windowExt = dc->viewportExt = {1, 1};
    dc->mapMode = mode;
    return previous;
}

static BOOL SetExtent(HDC hdc, int x, int y, LPSIZE old, uint16_t function, SIZE Dc::*extent)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return FALSE;
    std::lock_guard<std::mutex> guard(dc->lock);
    if (dc->metafile) {
        Record(*dc, function, {Word(y), Word(x)});
        return TRUE;
    }
    if (old) *old = dc->*extent;
    if (dc->mapMode != MM_ISOTROPIC && dc->mapMode != MM_ANISOTROPIC) return TRUE;
    if (x == 0 || y == 0) return FALSE;
    dc->*extent = {x, y};
    return TRUE;
}

static BOOL SetOrigin(HDC hdc, int x, int y, LPPOINT old, uint16_t function, POINT Dc::*origin)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return FALSE;
    std::lock_guard<std::mutex> guard(dc->lock);
    if (dc->metafile) {
        Record(*dc, function, {Word(y), Word(x)});
        return TRUE;
    }
    if (old) *old = dc->*origin;
    dc->*origin = {x, y};
    return TRUE;
}

BOOL WINAPI SetWindowExtEx(HDC hdc, int x, int y, LPSIZE old)
{
    return SetExtent(hdc, x, y, old, META_SETWINDOWEXT, &Dc::windowExt);
}

BOOL WINAPI SetViewportExtEx(HDC hdc, int x, int y, LPSIZE old)
{
    return SetExtent(hdc, x, y, old, META_SETVIEWPORTEXT, &Dc::viewportExt);
}

BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old)
{
    return SetOrigin(hdc, x, y, old, META_SETWINDOWORG, &Dc::windowOrg);
}

BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old)
{
    return SetOrigin(hdc, x, y, old, META_SETVIEWPORTORG, &Dc::viewportOrg);
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom)
{
    if (!rect) return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return FALSE;
    std::lock_guard<std::mutex> guard(dc->lock);
    if (dc->metafile) {
        Record(*dc, META_PATBLT, {Lo(rop), Hi(rop), Word(height), Word(width), Word(y), Word(x)});
        return TRUE;
    }
    bool white;
    if (rop == PATCOPY) {
        auto* brush = LookupAs<Brush>(dc->brush, Kind::Brush);
        if (!brush || brush->style == BS_NULL) return TRUE;
        white = IsWhite(brush->color);
    } else if (rop == BLACKNESS || rop == WHITENESS) {
        white = rop == WHITENESS;
    } else {
        return FALSE; // only the pattern and constant operations are painted
    }
    Raster* raster = Target(*dc);
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
}

// As in USER: the brush is selected, the rectangle painted with it and the
// previous brush selected back, so a metafile DC records all three steps.
int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    if (!rect || !DcOf(hdc)) return FALSE;
    HGDIOBJ previous = SelectObject(hdc, brush);
    PatBlt(hdc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, PATCOPY);
    if (previous) SelectObject(hdc, previous);
    return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    Dc* dc = DcOf(hdc);
    if (!dc) return FALSE;
    std::lock_guard<std::mutex> guard(dc->lock);
    if (dc->metafile) {
        Record(*dc, META_RECTANGLE, {Word(bottom), Word(right), Word(top), Word(left)});
        return TRUE;
    }
    Raster* raster = Target(*dc);
    if (raster) PaintRectangle(*dc, *raster, Transform(*dc).Rect(left, top, right, bottom));
    return TRUE;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR chars, int count)
{
    Dc* dc = DcOf(hdc);
    if (!dc || count < 0) return FALSE;
    if (!chars) count = 0;
    std::lock_guard<std::mutex> guard(dc->lock);
    if (dc->metafile) {
        if (count > 0x7FFF) return FALSE; // the record counts characters in 16 bits
        MetaRecordText(*dc, x, y, chars, count);
        return TRUE;
    }
    Raster* raster = Target(*dc);
    if (!raster || count == 0) return TRUE;
    const Transform t(*dc);
    auto* font = LookupAs<Font>(dc->font, Kind::Font);
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
}

// Device-independent rows of a monochrome bitmap, filled in as GDI fills them:
// the header's colour count cleared and its image size set, the palette
// black and white, rows bottom-up unless the height is negative.
int WINAPI GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info, UINT usage)
{
    if (!info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || usage > 1 || !DcOf(hdc)) return 0;
    auto* bmp = LookupAs<Bitmap>(bitmap, Kind::Bitmap);
    if (!bmp) return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;
    const Raster& raster = bmp->raster;
    auto strideOf = [](long long width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; };

    if (!bits && h.biBitCount == 0) { // the bitmap's own format only
        const DWORD size = h.biSize;
        std::memset(&h, 0, sizeof h);
        h.biSize = size;
        h.biWidth = raster.width;
        h.biHeight = raster.height;
        h.biPlanes = 1;
        h.biBitCount = 1;
        h.biSizeImage = static_cast<DWORD>(strideOf(raster.width, 1) * raster.height);
        return raster.height;
    }
    if (h.biBitCount != 1 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0) return 0;
    if (lines && !h.biPlanes) return 0;

    const long long dibHeight = std::llabs(static_cast<long long>(h.biHeight));
    if (lines == 0 || start >= dibHeight) bits = nullptr;
    const long long stride = strideOf(h.biWidth, 1);
    int result = 1;
    if (bits) {
        // DIB row r (counted from the top) shows bitmap row r.
        const long long count = std::min<long long>(lines, dibHeight - start);
        const bool bottomUp = h.biHeight > 0;
        const long long firstTop = bottomUp ? dibHeight - start - count : 0; // top-most row copied
        const int copyWidth = static_cast<int>(std::min<long long>(h.biWidth, raster.width));
        auto* out = static_cast<uint8_t*>(bits);
        for (long long i = 0; i < count; ++i) {
            const long long row = firstTop + i;
            uint8_t* dst = out + (bottomUp ? (count - 1 - i) : i) * stride;
            // The bitmap's bytes, then zeros for the rest of the row.
            std::size_t copied = 0;
            if (row < raster.height) {
                const uint8_t* src = &raster.bits[static_cast<std::size_t>(row) * raster.stride];
                copied = static_cast<std::size_t>(copyWidth) / 8;
                std::memcpy(dst, src, copied);
                // A partial last byte is masked on its way, not read back from
                // the copy (a byte load from a wide store just made stalls).
                if (copyWidth % 8) {
                    dst[copied] = static_cast<uint8_t>(src[copied] & (0xFF00 >> (copyWidth % 8)));
                    ++copied;
                }
            }
            if (copied < static_cast<std::size_t>(stride)) std::memset(dst + copied, 0, static_cast<std::size_t>(stride) - copied);
        }
        result = static_cast<int>(count);
    }
    // The colour table follows the header, whatever size the caller declared.
    uint8_t* table = reinterpret_cast<uint8_t*>(info) + h.biSize;
    if (usage == DIB_RGB_COLORS) {
        static constexpr uint8_t BlackWhite[8] = {0, 0, 0, 0, 255, 255, 255, 0};
        std::memcpy(table, BlackWhite, sizeof BlackWhite);
    } else {
        static constexpr uint8_t Indices[4] = {0, 0, 1, 0};
        std::memcpy(table, Indices, sizeof Indices);
    }
    h.biClrUsed = 0;
    h.biSizeImage = static_cast<DWORD>(stride * dibHeight);
    return result;
}

} // extern "C"
