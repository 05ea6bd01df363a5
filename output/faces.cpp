// The faces of the vector formats: a recorded font name matched by fontconfig
// (Courier New is Liberation Mono here), its Windows metrics and advances read
// once by FreeType, and its file for the PDF to embed. Text is then placed as
// the raster places it: a positive height is GDI's cell (ascent + descent of
// the OS/2 Windows metrics), a negative one the em; left, centre or right of
// the advance width; top, baseline or bottom of the cell.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

#include "output/formats.h"
#include "platform/font.h"

namespace lumtar {
namespace {

using platform::UnicodeOf;

constexpr int DefaultCellHeight = 16; // lfHeight 0, and the device's own font
constexpr size_t MaxFaces = 64;

struct Faces {
    std::mutex mutex;
    FcConfig* config = FcInitLoadConfigAndFonts(); // our own, apart from the host's
    FT_Library library = nullptr;
    std::map<std::string, std::shared_ptr<const Face>> found;

    Faces()
    {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~Faces()
    {
        found.clear();
        if (library) FT_Done_FreeType(library);
        if (config) FcConfigDestroy(config);
    }
};

Faces& TheFaces()
{
    static Faces faces;
    return faces;
}

// Windows metrics where the face has them, else the horizontal header's.
void ReadMetrics(FT_Face ft, Face& face)
{
    face.unitsPerEm = ft->units_per_EM ? ft->units_per_EM : 2048;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + std::abs(static_cast<FT_Short>(os2->usWinDescent)) != 0) {
        face.ascent = os2->usWinAscent;
        face.descent = std::abs(static_cast<FT_Short>(os2->usWinDescent));
    } else {
        face.ascent = ft->ascender;
        face.descent = -ft->descender;
    }
    if (face.ascent + face.descent <= 0) face.ascent = face.unitsPerEm;
    FT_Select_Charmap(ft, FT_ENCODING_UNICODE);
    for (int c = 0; c < 256; ++c) {
        const FT_UInt index = FT_Get_Char_Index(ft, UnicodeOf(static_cast<unsigned char>(c)));
        if (FT_Load_Glyph(ft, index, FT_LOAD_NO_SCALE) == 0)
            face.advance[c] = static_cast<uint16_t>(std::clamp<FT_Pos>(ft->glyph->advance.x, 0, 0xFFFF));
    }
}

std::shared_ptr<Face> Open(Faces& faces, const std::string& family, bool bold, bool italic)
{
    if (!faces.config || !faces.library) return nullptr;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(faces.config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(faces.config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return nullptr;

    auto face = std::make_shared<Face>();
    FcChar8* file = nullptr;
    FcChar8* name = nullptr;
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FT_Face ft = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name)
            face->family = reinterpret_cast<const char*>(name);
        if (FcPatternGetString(match, FC_POSTSCRIPT_NAME, 0, &name) == FcResultMatch && name)
            face->postscript = reinterpret_cast<const char*>(name);
        if (FT_New_Face(faces.library, reinterpret_cast<const char*>(file), index, &ft) != 0) ft = nullptr;
        face->file = reinterpret_cast<const char*>(file);
        face->index = index;
    }
    if (ft) {
        ReadMetrics(ft, *face);
        FT_Done_Face(ft);
        face->bold = weight >= FC_WEIGHT_DEMIBOLD;
        face->italic = slant != FC_SLANT_ROMAN;
    }
    FcPatternDestroy(match);
    return ft ? face : nullptr;
}

} // namespace

std::string Utf8Of(const std::string& cp1252) { return platform::Utf8Of(cp1252.data(), cp1252.size()); }

std::shared_ptr<const Face> FaceOf(const SceneFont& font)
{
    // The device's own font is the raster's stock system font: a bold sans serif.
    std::string family = font.stock ? "sans-serif" : Utf8Of(font.face);
    if (family.empty()) family = "sans-serif";
    const bool bold = font.stock || font.weight >= 600;
    const std::string key = family + (bold ? "|b" : "|r") + (font.italic ? "i" : "");
    Faces& faces = TheFaces();
    std::lock_guard<std::mutex> lock(faces.mutex);
    auto known = faces.found.find(key);
    if (known != faces.found.end()) return known->second;
    std::shared_ptr<const Face> face = Open(faces, family, bold, font.italic);
    if (!face) return nullptr;
    if (faces.found.size() >= MaxFaces) faces.found.clear(); // faces in use live on with their holders
    faces.found.emplace(key, face);
    return face;
}

LineLayout LayoutOf(const Face& face, const Mark& text)
{
    LineLayout line;
    const double height = text.font.stock || text.font.height == 0 ? DefaultCellHeight : text.font.height;
    const double cell = face.ascent + face.descent;
    line.em = height > 0 ? height * face.unitsPerEm / cell : -height;
    const double scale = line.em / face.unitsPerEm;
    line.ascent = face.ascent * scale;
    line.descent = face.descent * scale;
    double units = 0;
    for (const char c : text.chars) units += face.advance[static_cast<unsigned char>(c)];
    line.width = units * scale;
    const unsigned align = text.align;
    line.left = (align & TA_CENTER) == TA_CENTER ? -line.width / 2 : (align & TA_RIGHT) ? -line.width : 0.0;
    line.baseline = (align & TA_BASELINE) == TA_BASELINE ? 0.0 : (align & TA_BOTTOM) ? -line.descent : line.ascent;
    return line;
}

} // namespace lumtar
