// The faces of the vector formats: a recorded font found and measured by
// the library's font engine (platform/typeface.h), as the raster finds and
// measures it, its advances read once, and its file for the PDF to embed.
// Text is then placed as the raster places it: a positive height is GDI's
// cell, a negative one the em; left, centre or right of the advance width;
// top, baseline or bottom of the cell.
#include <algorithm>
#include <tuple>

#include "output/encoders.h"
#include "output/kept.h"
#include "platform/typeface.h"

namespace lumtar {
namespace {

using platform::UnicodeOf;

constexpr size_t MaxFaces = 64;

using FaceKey = std::tuple<std::string, bool, bool, bool>;

void ReadMetrics(FT_Face ft, Face& face)
{
    const platform::CellUnits cell = platform::CellUnitsOf(ft);
    face.unitsPerEm = static_cast<double>(cell.unitsPerEm);
    face.ascent = static_cast<double>(cell.ascent);
    face.descent = static_cast<double>(cell.descent);
    if (face.ascent + face.descent <= 0) face.ascent = face.unitsPerEm;
    FT_Select_Charmap(ft, FT_ENCODING_UNICODE);
    for (int c = 0; c < 256; ++c) {
        const FT_UInt index = FT_Get_Char_Index(ft, UnicodeOf(static_cast<unsigned char>(c)));
        if (FT_Load_Glyph(ft, index, FT_LOAD_NO_SCALE) == 0)
            face.advance[c] = static_cast<uint16_t>(std::clamp<FT_Pos>(ft->glyph->advance.x, 0, 0xFFFF));
    }
}

std::shared_ptr<Face> Open(const platform::FaceRequest& request)
{
    std::lock_guard lock(platform::FontLock());
    platform::FaceFile file;
    FT_Library library = platform::FontLibrary();
    FT_Face ft = nullptr;
    if (!library || !platform::FindFace(request, file) || FT_New_Face(library, file.path.c_str(), file.index, &ft) != 0)
        return nullptr;
    auto face = std::make_shared<Face>();
    ReadMetrics(ft, *face);
    FT_Done_Face(ft);
    face->family = file.family;
    face->postscript = file.postscript;
    face->bold = file.bold;
    face->italic = file.italic;
    face->file = file.path;
    face->index = file.index;
    return face;
}

} // namespace

std::string Utf8Of(const std::string& cp1252) { return platform::Utf8Of(cp1252.data(), cp1252.size()); }

std::shared_ptr<const Face> FaceOf(const SceneFont& font)
{
    // The device's own font is the raster's stock system font.
    platform::FaceRequest request;
    request.stock = font.stock;
    request.face = font.stock ? std::string() : font.face;
    request.bold = font.weight >= 600;
    request.italic = font.italic;
    const FaceKey key{request.face, request.stock, request.bold, request.italic};
    static Kept<FaceKey, Face> faces;
    return KeptOrMade(faces, MaxFaces, key, [&] { return Open(request); });
}

} // namespace lumtar
