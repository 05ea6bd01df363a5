#include "print/marks.h"

namespace lumtar::print {

void DrawBar(HDC dc, const Mapper& m, int left, int top, int right, int bottom)
{
    const RECT r = m.Map(left, top, right, bottom);
    HGDIOBJ brush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, brush);
    SelectObject(dc, pen);
}

void DrawLine(HDC dc, const Mapper& m, int x, int y, const std::string& chars, UINT align, const LOGFONTA& font,
              int height)
{
    if (height <= 0 || chars.empty()) return;
    LOGFONTA lf = font;
    lf.lfHeight = height;
    lf.lfEscapement = m.turned ? 900 : 0;
    HFONT created = CreateFontIndirectA(&lf);
    HGDIOBJ previous = SelectObject(dc, created);
    const UINT kept = SetTextAlign(dc, align);
    const RECT at = m.Map(x, y, x, y);
    TextOutA(dc, at.left, at.top, chars.data(), static_cast<int>(chars.size()));
    SetTextAlign(dc, kept);
    SelectObject(dc, previous);
    DeleteObject(created);
}

} // namespace lumtar::print
