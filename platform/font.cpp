// The font engine: fontconfig finds the face, FreeType sizes it and renders
// its glyphs, and caches keep the files, faces and glyphs for the next line.
//
// One engine serves every thread. Its mutex guards fontconfig, FreeType and
// the caches; glyphs are immutable once rendered and shared, so a line is
// laid out under the lock and painted without it.
#include "platform/font.h"
#include "platform/memory.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H
#include FT_SYNTHESIS_H
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

} // namespace

uint32_t UnicodeOf(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? Cp1252High[c - 0x80] : c;
}

std::string Utf8Of(const char* chars, size_t count)
{
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        uint32_t u = UnicodeOf(static_cast<unsigned char>(chars[i]));
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

namespace {

// GDI's default height (lfHeight 0) and the largest em we render; heights
// beyond it are drawn at this size.
constexpr long long DefaultCellHeight = 16;
constexpr long long MaxPpem = 4000;
constexpr size_t MaxCachedFonts = 32;
constexpr size_t MaxCachedFaceNames = 256;

// What a LOGFONTA asks for, reduced to what changes the pixels.
struct FontRequest {
    std::string family;  // UTF-8
    bool bold = false;
    bool italic = false;
    long long height = 0; // > 0 cell height, < 0 em height, as lfHeight

    auto Tie() const { return std::tie(family, bold, italic, height); }
    bool operator<(const FontRequest& other) const { return Tie() < other.Tie(); }
};

FontRequest RequestOf(const LOGFONTA* font)
{
    FontRequest request;
    if (!font) { // the stock system font: a bold sans serif, 16 pixels high
        request.family = "sans-serif";
        request.bold = true;
        request.height = DefaultCellHeight;
        return request;
    }
    request.family = Utf8Of(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE));
    if (request.family.empty()) request.family = "sans-serif";
    request.bold = font->lfWeight >= 600;
    request.italic = font->lfItalic != 0;
    request.height = font->lfHeight != 0 ? font->lfHeight : DefaultCellHeight;
    return request;
}

// A font file found by fontconfig, and whether bold has to be made up.
struct FaceSource {
    std::string path;
    int index = 0;
    bool embolden = false;
};

// A face at one size, with its cell and the glyphs rendered so far.
struct SizedFont {
    FT_Face face = nullptr;
    std::shared_ptr<const std::vector<FT_Byte>> data; // the face reads from it
    bool embolden = false;
    int ascent = 0;
    int descent = 0;
    std::shared_ptr<GlyphSet> glyphs = std::make_shared<GlyphSet>();
    unsigned long long lastUse = 0;

    ~SizedFont()
    {
        if (face) FT_Done_Face(face);
    }
};

long long RoundedMulDiv(long long a, long long b, long long c)
{
    long long product = a * b;
    return (product + c / 2) / c;
}

// FreeType's result, running out of memory counted as the layer's own.
FT_Error Counted(FT_Error error)
{
    if (FT_ERROR_BASE(error) == FT_Err_Out_Of_Memory) NoteMemoryFailure();
    return error;
}

class TextEngine {
public:
    static TextEngine& Instance()
    {
        static TextEngine engine;
        return engine;
    }

    // False when no font could be had, or memory for a glyph; the line is
    // then left empty.
    bool Layout(const LOGFONTA* font, const unsigned char* chars, int count, Line& line)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        SizedFont* sized = LastFont(font);
        if (!sized) {
            sized = Font(RequestOf(font));
            if (!sized) return false;
            Remember(font, sized);
        }
        line.glyphs = sized->glyphs;
        line.ascent = sized->ascent;
        line.descent = sized->descent;
        for (int i = 0; i < count; ++i) {
            const Glyph* glyph = GlyphOf(*sized, chars[i]);
            if (!glyph) return false;
            line.width += glyph->advance;
        }
        return true;
    }

private:
    // The font of the previous line, by its LOGFONTA: a symbol's characters
    // are drawn one call each with the same font, and this spares them the
    // request and the cache search.
    SizedFont* LastFont(const LOGFONTA* font)
    {
        if (!last_ || (font == nullptr) != lastIsSystem_ || (font && std::memcmp(font, &lastLogFont_, sizeof lastLogFont_) != 0))
            return nullptr;
        last_->lastUse = ++useClock_;
        return last_;
    }

    void Remember(const LOGFONTA* font, SizedFont* sized)
    {
        last_ = sized;
        lastIsSystem_ = font == nullptr;
        if (font) std::memcpy(&lastLogFont_, font, sizeof lastLogFont_);
    }

    TextEngine()
    {
        // Without memory for FreeType or its TrueType driver the engine is not
        // made (the next call tries again): it would draw no text for the
        // life of the process.
        const FT_Error error = FT_Init_FreeType(&library_);
        if (error != 0) library_ = nullptr;
        if (FT_ERROR_BASE(error) == FT_Err_Out_Of_Memory || (library_ && !FT_Get_Module(library_, "truetype"))) {
            if (library_) FT_Done_FreeType(library_);
            throw std::bad_alloc();
        }
        // A configuration of our own, so that the host's use of fontconfig
        // and ours never meet, and everything is released at exit.
        fontconfig_ = FcInitLoadConfigAndFonts();
    }

    ~TextEngine()
    {
        fonts_.clear();
        if (library_) FT_Done_FreeType(library_);
        if (fontconfig_) FcConfigDestroy(fontconfig_);
    }

    SizedFont* Font(const FontRequest& request)
    {
        auto found = fonts_.find(request);
        if (found != fonts_.end()) {
            found->second->lastUse = ++useClock_;
            return found->second.get();
        }
        auto sized = Open(request);
        if (!sized) return nullptr;
        if (fonts_.size() >= MaxCachedFonts) {
            auto oldest = std::min_element(fonts_.begin(), fonts_.end(), [](const auto& a, const auto& b) {
                return a.second->lastUse < b.second->lastUse;
            });
            if (oldest->second.get() == last_) last_ = nullptr;
            fonts_.erase(oldest); // glyphs in use elsewhere live on in their Lines
        }
        sized->lastUse = ++useClock_;
        return fonts_.emplace(request, std::move(sized)).first->second.get();
    }

    std::unique_ptr<SizedFont> Open(const FontRequest& request)
    {
        if (!library_) return nullptr;
        const FaceSource* source = Source(request);
        if (!source) return nullptr;
        auto data = FileBytes(source->path);
        if (!data) return nullptr;
        auto sized = std::make_unique<SizedFont>();
        sized->data = data;
        sized->embolden = source->embolden;
        if (Counted(FT_New_Memory_Face(library_, data->data(), static_cast<FT_Long>(data->size()), source->index, &sized->face)) != 0) {
            sized->face = nullptr;
            return nullptr;
        }
        FT_Select_Charmap(sized->face, FT_ENCODING_UNICODE);
        if (!SetSize(*sized, request.height)) return nullptr;
        return sized;
    }

    // GDI's sizing of a TrueType face: a positive height is the cell, the
    // em taken as units per em × height / (winAscent + winDescent), rounded;
    // a negative one is the em itself. Ascent and descent are the OS/2
    // Windows metrics at that em, each rounded.
    static bool SetSize(SizedFont& sized, long long height)
    {
        FT_Face face = sized.face;
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
        long long ascentUnits = 0, descentUnits = 0;
        if (os2 && os2->version != 0xFFFF && os2->usWinAscent + std::abs(static_cast<FT_Short>(os2->usWinDescent)) != 0) {
            ascentUnits = os2->usWinAscent;
            descentUnits = std::abs(static_cast<FT_Short>(os2->usWinDescent));
        } else if (hhea && hhea->Ascender - hhea->Descender != 0) {
            ascentUnits = hhea->Ascender;
            descentUnits = -hhea->Descender;
        } else {
            ascentUnits = face->ascender;
            descentUnits = -face->descender;
        }
        long long units = face->units_per_EM ? face->units_per_EM : 2048;
        long long cellUnits = std::max(1LL, ascentUnits + descentUnits);
        long long ppem = height > 0 ? RoundedMulDiv(units, std::min(height, MaxPpem * 4), cellUnits) : -std::max(height, -MaxPpem);
        ppem = std::clamp(ppem, 1LL, MaxPpem);
        if (FT_IS_SCALABLE(face)) {
            if (Counted(FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem))) != 0) return false;
        } else if (face->num_fixed_sizes > 0) {
            if (Counted(FT_Select_Size(face, 0)) != 0) return false;
        } else {
            return false;
        }
        FT_Fixed scale = face->size->metrics.y_scale;
        if (FT_IS_SCALABLE(face)) {
            sized.ascent = static_cast<int>((FT_MulFix(ascentUnits, scale) + 32) >> 6);
            sized.descent = static_cast<int>((FT_MulFix(descentUnits, scale) + 32) >> 6);
        } else {
            sized.ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
            sized.descent = static_cast<int>((-face->size->metrics.descender + 32) >> 6);
        }
        return true;
    }

    // Renders one character in monochrome; a character the face lacks gets
    // the face's default glyph, and one that cannot be rendered is blank.
    // Null when memory ran out for it: nothing is kept then.
    const Glyph* GlyphOf(SizedFont& sized, unsigned char c)
    {
        GlyphRef& cached = (*sized.glyphs)[c];
        if (cached) return cached.get();
        const unsigned failures = MemoryFailures();
        auto glyph = std::make_shared<Glyph>();
        FT_Face face = sized.face;
        FT_UInt index = FT_Get_Char_Index(face, UnicodeOf(c));
        if (Counted(FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO)) == 0) {
            FT_GlyphSlot slot = face->glyph;
            if (sized.embolden) FT_GlyphSlot_Embolden(slot);
            glyph->advance = static_cast<int>((slot->advance.x + 32) >> 6);
            if (Counted(FT_Render_Glyph(slot, FT_RENDER_MODE_MONO)) == 0) CopyBitmap(slot, *glyph);
        }
        if (MemoryFailures() != failures) return nullptr;
        cached = std::move(glyph);
        return cached.get();
    }

    static void CopyBitmap(FT_GlyphSlot slot, Glyph& glyph)
    {
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.width == 0 || bitmap.rows == 0 || !bitmap.buffer) return;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.width = static_cast<int>(bitmap.width);
        glyph.rows = static_cast<int>(bitmap.rows);
        glyph.pitch = (glyph.width + 7) / 8;
        glyph.bits.assign(static_cast<size_t>(glyph.pitch) * glyph.rows, 0);
        int sourcePitch = std::abs(bitmap.pitch);
        for (int row = 0; row < glyph.rows; ++row) {
            const unsigned char* source = bitmap.buffer + static_cast<size_t>(row) * sourcePitch;
            uint8_t* target = glyph.bits.data() + static_cast<size_t>(row) * glyph.pitch;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                std::memcpy(target, source, glyph.pitch);
            } else { // a grey embedded bitmap: half intensity and up is ink
                for (int column = 0; column < glyph.width; ++column)
                    if (source[column] >= 128) target[column / 8] |= 0x80u >> (column % 8);
            }
        }
        if (glyph.pitch > 7) return;
        const uint8_t lastMask = static_cast<uint8_t>(0xFF00u >> (((glyph.width - 1) % 8) + 1));
        glyph.rowWords.assign(static_cast<size_t>(glyph.rows), 0);
        for (int row = 0; row < glyph.rows; ++row) {
            const uint8_t* bits = glyph.bits.data() + static_cast<size_t>(row) * glyph.pitch;
            for (int k = 0; k < glyph.pitch; ++k)
                glyph.rowWords[row] |= uint64_t{k == glyph.pitch - 1 ? static_cast<uint8_t>(bits[k] & lastMask) : bits[k]} << (56 - 8 * k);
        }
    }

    const FaceSource* Source(const FontRequest& request)
    {
        std::string key = request.family + (request.bold ? "|b" : "|r") + (request.italic ? "i" : "");
        auto found = sources_.find(key);
        if (found != sources_.end()) return &found->second;
        if (!fontconfig_) return nullptr;
        FaceSource source;
        if (!Match(fontconfig_, request, source)) return nullptr;
        if (sources_.size() >= MaxCachedFaceNames) sources_.clear();
        return &sources_.emplace(key, source).first->second;
    }

    static bool Match(FcConfig* config, const FontRequest& request, FaceSource& source)
    {
        FcPattern* pattern = FcPatternCreate();
        if (!pattern) return false;
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, request.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        FcPatternDestroy(pattern);
        if (!match) return false;
        FcChar8* file = nullptr;
        int index = 0, weight = FC_WEIGHT_REGULAR;
        bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
        if (found) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
            source.path = reinterpret_cast<const char*>(file);
            source.index = index;
            source.embolden = request.bold && weight < FC_WEIGHT_DEMIBOLD;
        }
        FcPatternDestroy(match);
        return found;
    }

    // Each font file is read once and kept; faces of every size share it.
    std::shared_ptr<const std::vector<FT_Byte>> FileBytes(const std::string& path)
    {
        auto found = files_.find(path);
        if (found != files_.end()) return found->second;
        errno = 0;
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            if (errno == ENOMEM) NoteMemoryFailure(); // the C library had no memory for the stream
            return nullptr;
        }
        auto bytes = std::make_shared<std::vector<FT_Byte>>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (bytes->empty()) return nullptr;
        files_.emplace(path, bytes);
        return bytes;
    }

    std::mutex mutex_;
    FT_Library library_ = nullptr;
    FcConfig* fontconfig_ = nullptr;
    unsigned long long useClock_ = 0;
    std::map<std::string, FaceSource> sources_;
    std::map<std::string, std::shared_ptr<const std::vector<FT_Byte>>> files_;
    std::map<FontRequest, std::unique_ptr<SizedFont>> fonts_;
    SizedFont* last_ = nullptr; // an entry of fonts_, or null
    bool lastIsSystem_ = false;
    LOGFONTA lastLogFont_{};
};

} // namespace

bool LayoutLine(const LOGFONTA* font, const char* chars, int count, Line& line)
{
    if (count < 0 || (count > 0 && !chars)) return false;
    return TextEngine::Instance().Layout(font, reinterpret_cast<const unsigned char*>(chars), count, line);
}

} // namespace lumtar::platform
