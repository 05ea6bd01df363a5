// An enhanced metafile on Windows, recorded by GDI itself: the recorded
// drawing played back as GDI calls onto CreateEnhMetaFileA's context, whose
// frame is the picture's size in 0.01 mm and whose reference device is the
// screen; the window of the recording mapped onto that frame, a white ground,
// each bar a rectangle in a pen and brush of its colour, each line of text
// TextOutA in the recorded font.
#include <windows.h>

#include "output/press.h"
#include "platform/bytes.h"

namespace lumtar {
namespace {

struct Selected {
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    COLORREF color = 0;
};

void SetColor(HDC dc, Selected& s, COLORREF color)
{
    if (s.pen && s.color == color) return;
    HPEN pen = CreatePen(PS_SOLID, 0, color);
    HBRUSH brush = CreateSolidBrush(color);
    SelectObject(dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(BLACK_PEN));
    SelectObject(dc, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(BLACK_BRUSH));
    if (s.pen) DeleteObject(s.pen);
    if (s.brush) DeleteObject(s.brush);
    s.pen = pen;
    s.brush = brush;
    s.color = color;
}

void Text(HDC dc, Selected& s, const Mark& text)
{
    HFONT font = nullptr;
    if (!text.font.stock) {
        font = CreateFontA(text.font.height, 0, text.font.escapement, text.font.escapement, text.font.weight, text.font.italic,
                           FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH, text.font.face.c_str());
    }
    SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    if (s.font) DeleteObject(s.font);
    s.font = font;
    SetTextAlign(dc, text.align);
    SetTextColor(dc, text.color);
    SetBkMode(dc, text.opaque ? OPAQUE : TRANSPARENT);
    SetBkColor(dc, text.background);
    TextOutA(dc, text.left, text.top, text.chars.data(), static_cast<int>(text.chars.size()));
}

void Draw(HDC dc, const Scene& scene)
{
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, scene.orgX, scene.orgY, scene.orgX + scene.extX + 1, scene.orgY + scene.extY + 1);
    Selected s;
    for (const Mark& mark : scene.marks) {
        if (mark.text) {
            Text(dc, s, mark);
            continue;
        }
        SetColor(dc, s, mark.color);
        Rectangle(dc, mark.left, mark.top, mark.right, mark.bottom);
    }
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(s.pen), static_cast<HGDIOBJ>(s.brush), static_cast<HGDIOBJ>(s.font)})
        if (object) DeleteObject(object);
}

// GDI copies a font's names into the record with whatever followed their
// ends in its buffers: cleared, so that a drawing gives the same bytes on
// every call. The face name, full name and style of EMR_EXTCREATEFONTINDIRECTW,
// and the two bytes that round its EXTLOGFONTW (318 bytes from 12) up to 320.
void ClearNameTails(uint8_t* record, size_t size)
{
    constexpr size_t Names[][2] = {{40, 32}, {104, 64}, {232, 32}}; // offset in the record, WCHARs
    for (const auto& [offset, count] : Names) {
        if (offset + 2 * count > size) continue;
        uint8_t* name = record + offset;
        size_t end = 0;
        while (end < count && (name[2 * end] || name[2 * end + 1])) ++end;
        for (size_t i = 2 * end; i < 2 * count; ++i) name[i] = 0;
    }
    constexpr size_t FontEnd = 12 + 318;
    if (size == FontEnd + 2) record[FontEnd] = record[FontEnd + 1] = 0;
}

// The same for the padding of a text of odd length up to its advances in
// EMR_EXTTEXTOUTW (nChars at 44, offString at 48, offDx at 72).
void ClearTextPadding(uint8_t* record, size_t size)
{
    if (size < 76) return;
    const size_t chars = GetDword(record + 44), string = GetDword(record + 48), dx = GetDword(record + 72);
    if (chars > size || string > size) return;
    const size_t end = string + 2 * chars, stop = dx > end && dx <= size ? dx : (end + 3) / 4 * 4;
    for (size_t i = end; i < stop && i < size; ++i) record[i] = 0;
}

void ClearLeftovers(Bytes& emf)
{
    constexpr uint32_t ExtTextOutW = 84, ExtCreateFontIndirectW = 82;
    for (size_t at = 0; at + 8 <= emf.size();) {
        const uint32_t type = GetDword(&emf[at]), size = GetDword(&emf[at + 4]);
        if (size < 8 || size > emf.size() - at) break;
        if (type == ExtCreateFontIndirectW) ClearNameTails(&emf[at], size);
        if (type == ExtTextOutW) ClearTextPadding(&emf[at], size);
        at += size;
    }
}

} // namespace

int EmfOfScene(const Scene& scene, int width, int height, Bytes& out)
{
    if (width <= 0 || height <= 0 || scene.extX <= 0 || scene.extY <= 0) return BarErrGdi;
    const RECT frame{0, 0, width, height};
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, "lumtar32\0picture\0");
    if (!dc) return BarErrGdi;
    // The frame in the reference device's pixels.
    const int x = MulDiv(width, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, HORZSIZE) * 100);
    const int y = MulDiv(height, GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, VERTSIZE) * 100);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, scene.extX, scene.extY, nullptr);
    SetWindowOrgEx(dc, scene.orgX, scene.orgY, nullptr);
    SetViewportExtEx(dc, x, y, nullptr);
    Draw(dc, scene);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    if (!emf) return BarErrGdi;
    const UINT size = GetEnhMetaFileBits(emf, 0, nullptr);
    int result = BarErrGdi;
    try {
        out.resize(size);
        if (size && GetEnhMetaFileBits(emf, size, out.data()) == size) result = BarOk;
        ClearLeftovers(out);
    } catch (...) {
        result = BarErrGdi;
    }
    DeleteEnhMetaFile(emf);
    return result;
}

} // namespace lumtar
