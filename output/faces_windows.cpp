// The faces of the vector formats on Windows: GDI's own font mapper finds the
// recorded face, as it does when the metafile is played; the outline metrics
// at one em give its em square and cell (ascent + descent), GetCharWidth32A
// the advances of code page 1252's characters, in font units.
#include <windows.h>

#include <vector>

#include "output/encoders.h"
#include "output/faces_windows.h"
#include "output/kept.h"

namespace lumtar {
namespace {

constexpr size_t MaxFaces = 64;

std::vector<char> OutlineMetrics(HDC dc)
{
    const UINT size = GetOutlineTextMetricsA(dc, 0, nullptr);
    std::vector<char> metrics(size);
    if (size == 0 || GetOutlineTextMetricsA(dc, size, reinterpret_cast<OUTLINETEXTMETRICA*>(metrics.data())) == 0) return {};
    return metrics;
}

std::string Name(const std::vector<char>& metrics, PSTR offset)
{
    const auto at = reinterpret_cast<size_t>(offset);
    return at && at < metrics.size() ? std::string(metrics.data() + at) : std::string();
}

bool Measure(HDC dc, const std::string& family, bool bold, bool italic, Face& face)
{
    HFONT font = SelectFace(dc, family, bold, italic, 2048);
    std::vector<char> metrics = font ? OutlineMetrics(dc) : std::vector<char>();
    if (metrics.empty()) {
        if (font) DeleteObject(SelectObject(dc, GetStockObject(SYSTEM_FONT)));
        return false;
    }
    const UINT em = reinterpret_cast<const OUTLINETEXTMETRICA*>(metrics.data())->otmEMSquare;
    if (em != 2048 && em > 0) { // measured again at one em
        DeleteObject(SelectObject(dc, GetStockObject(SYSTEM_FONT)));
        font = SelectFace(dc, family, bold, italic, static_cast<LONG>(em));
        metrics = font ? OutlineMetrics(dc) : std::vector<char>();
    }
    INT widths[256] = {};
    const bool measured = !metrics.empty() && GetCharWidth32A(dc, 0, 255, widths);
    if (measured) {
        const auto* otm = reinterpret_cast<const OUTLINETEXTMETRICA*>(metrics.data());
        face.unitsPerEm = otm->otmEMSquare;
        face.ascent = otm->otmTextMetrics.tmAscent;
        face.descent = otm->otmTextMetrics.tmDescent;
        face.bold = otm->otmTextMetrics.tmWeight >= FW_SEMIBOLD;
        face.italic = otm->otmTextMetrics.tmItalic != 0;
        face.family = Name(metrics, otm->otmpFamilyName);
        for (char c : Name(metrics, otm->otmpFaceName))
            if (c != ' ') face.postscript.push_back(c);
        for (int c = 0; c < 256; ++c) face.advance[c] = static_cast<uint16_t>(widths[c] < 0 ? 0 : widths[c] > 0xFFFF ? 0xFFFF : widths[c]);
        // What the PDF asks GDI for again to embed it (GetFontData).
        face.file = family;
        face.index = (bold ? 1 : 0) | (italic ? 2 : 0);
    }
    if (font) DeleteObject(SelectObject(dc, GetStockObject(SYSTEM_FONT)));
    return measured;
}

} // namespace

std::string Utf8Of(const std::string& cp1252)
{
    if (cp1252.empty()) return {};
    std::wstring wide(cp1252.size(), L'\0');
    MultiByteToWideChar(1252, 0, cp1252.data(), static_cast<int>(cp1252.size()), wide.data(), static_cast<int>(wide.size()));
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::shared_ptr<const Face> FaceOf(const SceneFont& font)
{
    // The device's own font, as the raster's stock font: a bold sans serif.
    std::string family = font.stock || font.face.empty() ? std::string("Arial") : font.face;
    const bool bold = font.stock || font.weight >= 600;
    const std::string key = family + (bold ? "|b" : "|r") + (font.italic ? "i" : "");
    static Kept<std::string, Face> faces;
    return KeptOrMade(faces, MaxFaces, key, [&]() -> std::shared_ptr<const Face> {
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) return nullptr;
        auto face = std::make_shared<Face>();
        const bool measured = Measure(dc, family, bold, font.italic, *face);
        DeleteDC(dc);
        return measured ? face : nullptr;
    });
}

HFONT SelectFace(HDC dc, const std::string& family, bool bold, bool italic, LONG em)
{
    LOGFONTA lf{};
    lf.lfHeight = -em;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lstrcpynA(lf.lfFaceName, family.c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    if (font) SelectObject(dc, font);
    return font;
}

} // namespace lumtar
