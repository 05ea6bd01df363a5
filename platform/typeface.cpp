// Faces by fixed names through fontconfig, and their cells by one rule.
#include "platform/typeface.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include <fontconfig/fontconfig.h>
#include FT_MODULE_H
#include FT_TRUETYPE_TABLES_H

namespace lumtar::platform {
namespace {

// Code page 1252, 0x80 to 0x9F; the five unassigned codes map to themselves,
// as MultiByteToWideChar maps them. Everything else is Latin-1.
constexpr uint16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

// Windows face names (compared without case) and the metric-compatible
// faces of fonts-liberation that draw them. The stock font and every face
// not named here are drawn in Liberation Sans.
struct FaceName {
    std::string_view windows;
    const char* installed;
};
constexpr FaceName FaceNames[] = {
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Liberation Mono", "Liberation Mono"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"Liberation Serif", "Liberation Serif"},
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Liberation Sans", "Liberation Sans"},
};
constexpr const char* OtherFaces = "Liberation Sans";

const char* InstalledFace(const FaceRequest& request)
{
    if (request.stock) return OtherFaces;
    const std::string_view face(request.face.c_str()); // up to the first zero
    for (const FaceName& name : FaceNames)
        if (name.windows.size() == face.size() && strncasecmp(name.windows.data(), face.data(), face.size()) == 0)
            return name.installed;
    return OtherFaces;
}

struct Engine {
    FT_Library library = nullptr;
    FcConfig* config = nullptr;
    std::mutex lock;

    // Without memory for FreeType or its TrueType driver the engine is not
    // made (the next call tries again): it would draw no text for the life
    // of the process.
    Engine()
    {
        const FT_Error error = FT_Init_FreeType(&library);
        if (error != 0) library = nullptr;
        if (FT_ERROR_BASE(error) == FT_Err_Out_Of_Memory || (library && !FT_Get_Module(library, "truetype"))) {
            if (library) FT_Done_FreeType(library);
            throw std::bad_alloc();
        }
        // A configuration of our own, so that the host's use of fontconfig
        // and ours never meet, and everything is released at exit.
        config = FcInitLoadConfigAndFonts();
    }
    ~Engine()
    {
        if (library) FT_Done_FreeType(library);
        if (config) FcConfigDestroy(config);
    }
};

Engine& TheEngine()
{
    static Engine engine;
    return engine;
}

std::string StringOf(FcPattern* match, const char* property)
{
    FcChar8* value = nullptr;
    return FcPatternGetString(match, property, 0, &value) == FcResultMatch && value ? reinterpret_cast<const char*>(value)
                                                                                     : std::string();
}

} // namespace

std::mutex& FontLock() { return TheEngine().lock; }
FT_Library FontLibrary() { return TheEngine().library; }

bool FindFace(const FaceRequest& request, FaceFile& file)
{
    FcConfig* config = TheEngine().config;
    FcPattern* pattern = config ? FcPatternCreate() : nullptr;
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(InstalledFace(request)));
    const bool bold = request.stock || request.bold;
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_INDEX, 0, &file.index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    file.path = StringOf(match, FC_FILE);
    file.family = StringOf(match, FC_FAMILY);
    file.postscript = StringOf(match, FC_POSTSCRIPT_NAME);
    file.bold = weight >= FC_WEIGHT_DEMIBOLD;
    file.italic = slant != FC_SLANT_ROMAN;
    file.embolden = bold && !file.bold;
    FcPatternDestroy(match);
    return !file.path.empty();
}

CellUnits CellUnitsOf(FT_Face face)
{
    CellUnits cell;
    cell.unitsPerEm = face->units_per_EM ? face->units_per_EM : 2048;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + std::abs(static_cast<FT_Short>(os2->usWinDescent)) != 0) {
        cell.ascent = os2->usWinAscent;
        cell.descent = std::abs(static_cast<FT_Short>(os2->usWinDescent));
    } else if (hhea && hhea->Ascender - hhea->Descender != 0) {
        cell.ascent = hhea->Ascender;
        cell.descent = -hhea->Descender;
    } else {
        cell.ascent = face->ascender;
        cell.descent = -face->descender;
    }
    return cell;
}

uint32_t UnicodeOf(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? Cp1252High[c - 0x80] : c;
}

std::string Utf8Of(const char* chars, size_t count)
{
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t u = UnicodeOf(static_cast<unsigned char>(chars[i]));
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

} // namespace lumtar::platform
