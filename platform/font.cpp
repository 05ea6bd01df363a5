// The raster's text: the face found and measured by the font engine
// (typeface.h), sized the way GDI sizes TrueType fonts, its glyphs rendered
// by FreeType in monochrome, and caches that keep the files, sized faces and
// glyphs for the next line.
//
// The engine's lock guards FreeType, fontconfig and these caches; glyphs are
// immutable once rendered and shared, so a line is laid out under the lock
// and painted without it.
#include "platform/font.h"
#include "platform/memory.h"
#include "platform/typeface.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include FT_SYNTHESIS_H

namespace lumtar::platform {
namespace {

// GDI's default height (lfHeight 0) and the largest em we render; heights
// beyond it are drawn at this size.
constexpr long long DefaultCellHeight = 16;
constexpr long long MaxPpem = 4000;
constexpr size_t MaxCachedFonts = 32;
constexpr size_t MaxCachedFaceNames = 256;

// What a LOGFONTA asks for, reduced to what changes the pixels.
struct FontRequest {
    FaceRequest face;
    long long height = 0; // > 0 cell height, < 0 em height, as lfHeight

    auto Tie() const { return std::tie(face.face, face.stock, face.bold, face.italic, height); }
    bool operator<(const FontRequest& other) const { return Tie() < other.Tie(); }
};

FontRequest RequestOf(const LOGFONTA* font)
{
    FontRequest request;
    if (!font) { // the stock system font, 16 pixels high
        request.face.stock = true;
        request.height = DefaultCellHeight;
        return request;
    }
    request.face.face.assign(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE));
    request.face.bold = font->lfWeight >= 600;
    request.face.italic = font->lfItalic != 0;
    request.height = font->lfHeight != 0 ? font->lfHeight : DefaultCellHeight;
    return request;
}

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
        std::lock_guard lock(FontLock());
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

    // The font engine is made first, so that it outlives these faces.
    TextEngine() { FontLibrary(); }

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
        FT_Library library = FontLibrary();
        if (!library) return nullptr;
        const FaceFile* source = Source(request.face);
        if (!source) return nullptr;
        auto data = FileBytes(source->path);
        if (!data) return nullptr;
        auto sized = std::make_unique<SizedFont>();
        sized->data = data;
        sized->embolden = source->embolden;
        if (Counted(FT_New_Memory_Face(library, data->data(), static_cast<FT_Long>(data->size()), source->index, &sized->face)) != 0) {
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
        const CellUnits cell = CellUnitsOf(face);
        const long long ascentUnits = cell.ascent, descentUnits = cell.descent, units = cell.unitsPerEm;
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

    const FaceFile* Source(const FaceRequest& request)
    {
        const std::tuple key{request.face, request.stock, request.bold, request.italic};
        auto found = sources_.find(key);
        if (found != sources_.end()) return &found->second;
        FaceFile source;
        if (!FindFace(request, source)) return nullptr;
        if (sources_.size() >= MaxCachedFaceNames) sources_.clear();
        return &sources_.emplace(key, source).first->second;
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

    unsigned long long useClock_ = 0;
    std::map<std::tuple<std::string, bool, bool, bool>, FaceFile> sources_;
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
