// The state calls of device contexts: text alignment and colours,
// background mode, mapping mode, window and viewport. A memory DC keeps the
// value; a metafile DC records the call instead.
#include <mutex>
#include <type_traits>

#include "platform/gdi.h"
#include "platform/metafile.h"

using namespace lumtar::platform;

namespace {

// A setter of one field of the DC's state: the previous value back, or on a
// metafile DC the record written; failed for a handle that is no DC and,
// counted, when memory runs out.
template <class T>
T SetState(HDC hdc, std::type_identity_t<T> value, T Dc::*field, BOOL (*record)(Dc&, T),
                  std::type_identity_t<T> failed)
try {
    LockedDc dc(hdc);
    if (!dc) return failed;
    if (dc->metafile) return record(*dc, value);
    const T previous = (*dc).*field;
    (*dc).*field = value;
    return previous;
} catch (...) {
    return OutOfMemory<T>(failed);
}

using MetaXY = BOOL (*)(Dc&, int, int);

// The window and viewport extents (SIZE) and origins (POINT): the old value
// back, the new one kept; an extent only in the scaling map modes and only
// when neither side is zero.
template <class XY>
BOOL SetPair(HDC hdc, int x, int y, XY* old, MetaXY record, XY Dc::*field)
try {
    LockedDc dc(hdc);
    if (!dc) return FALSE;
    if (dc->metafile) return record(*dc, x, y);
    if (old) *old = (*dc).*field;
    if constexpr (std::is_same_v<XY, SIZE>) {
        if (dc->mapMode != MM_ISOTROPIC && dc->mapMode != MM_ANISOTROPIC) return TRUE;
        if (x == 0 || y == 0) return FALSE;
    }
    (*dc).*field = {x, y};
    return TRUE;
} catch (...) {
    return OutOfMemory(FALSE);
}

} // namespace

extern "C" {

UINT WINAPI SetTextAlign(HDC hdc, UINT align)
{
    return SetState(hdc, align, &Dc::textAlign, MetaSetTextAlign, GDI_ERROR);
}

UINT WINAPI GetTextAlign(HDC hdc)
try {
    LockedDc dc(hdc);
    if (!dc) return 0;
    return dc->metafile ? 0 : dc->textAlign; // a metafile DC keeps no alignment to report
} catch (...) {
    return OutOfMemory(GDI_ERROR);
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color)
{
    return SetState(hdc, color, &Dc::textColor, MetaSetTextColor, CLR_INVALID);
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color)
{
    return SetState(hdc, color, &Dc::bkColor, MetaSetBkColor, CLR_INVALID);
}

int WINAPI SetBkMode(HDC hdc, int mode)
try {
    LockedDc dc(hdc);
    if (!dc) return 0;
    if (dc->metafile) return MetaSetBkMode(*dc, mode);
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    const int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
} catch (...) {
    return OutOfMemory(0);
}

int WINAPI SetMapMode(HDC hdc, int mode)
try {
    LockedDc dc(hdc);
    if (!dc) return 0;
    if (dc->metafile) return MetaSetMapMode(*dc, mode);
    const int previous = dc->mapMode;
    if (mode == previous) return previous;
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
    // The metric modes have no device size to scale by here; they map as MM_TEXT.
    if (mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) dc->windowExt = dc->viewportExt = {1, 1};
    dc->mapMode = mode;
    return previous;
} catch (...) {
    return OutOfMemory(0);
}

BOOL WINAPI SetWindowExtEx(HDC hdc, int x, int y, LPSIZE old)
{
    return SetPair(hdc, x, y, old, MetaSetWindowExt, &Dc::windowExt);
}

BOOL WINAPI SetViewportExtEx(HDC hdc, int x, int y, LPSIZE old)
{
    return SetPair(hdc, x, y, old, MetaSetViewportExt, &Dc::viewportExt);
}

BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old)
{
    return SetPair(hdc, x, y, old, MetaSetWindowOrg, &Dc::windowOrg);
}

BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old)
{
    return SetPair(hdc, x, y, old, MetaSetViewportOrg, &Dc::viewportOrg);
}

} // extern "C"
