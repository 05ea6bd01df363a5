// The recorder behind metafile DCs: one function per GDI call a metafile DC
// records, taking that call's arguments. Each writes its record and returns
// TRUE, which is what the call returns on a metafile DC. The caller holds
// dc.lock and has checked that dc is a metafile DC.
#pragma once

#include "platform/gdi.h"

namespace lumtar::platform {

BOOL MetaSetTextAlign(Dc& dc, UINT align);
BOOL MetaSetTextColor(Dc& dc, COLORREF color);
BOOL MetaSetBkColor(Dc& dc, COLORREF color);
BOOL MetaSetBkMode(Dc& dc, int mode);
BOOL MetaSetMapMode(Dc& dc, int mode);
BOOL MetaSetWindowExt(Dc& dc, int x, int y);
BOOL MetaSetViewportExt(Dc& dc, int x, int y);
BOOL MetaSetWindowOrg(Dc& dc, int x, int y);
BOOL MetaSetViewportOrg(Dc& dc, int x, int y);
BOOL MetaPatBlt(Dc& dc, int x, int y, int width, int height, DWORD rop);
BOOL MetaRectangle(Dc& dc, int left, int top, int right, int bottom);
BOOL MetaTextOut(Dc& dc, int x, int y, const char* chars, int count); // FALSE past 0x7FFF characters
HGDIOBJ MetaSelectObject(Dc& dc, GdiObject& object); // the caller also holds HandleLock()

// The bits behind a metafile handle, or null.
inline std::shared_ptr<MetafileBits> MetafileOf(HMETAFILE metafile)
{
    return LookupAs<MetafileBits>(metafile, Kind::Metafile);
}

// DeleteObject's record in one metafile DC (takes that DC's lock itself).
void MetaForgetObject(HDC dc, uintptr_t handle);

} // namespace lumtar::platform
