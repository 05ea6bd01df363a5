// The raster's text: the face named in a LOGFONTA found by the font engine
// (typeface.h), sized the way GDI sizes TrueType fonts, and its glyphs
// rendered in monochrome by FreeType once and kept.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lumtar32_gdi.h"

namespace lumtar::platform {

// One rendered character: FreeType's monochrome bitmap, rows top-down, the
// leftmost pixel in the most significant bit.
struct Glyph {
    int left = 0; // from the pen position to the first column, rightwards
    int top = 0;  // from the baseline up to the first row
    int width = 0;
    int rows = 0;
    int pitch = 0;
    int advance = 0;
    std::vector<uint8_t> bits;
    // Up to 56 pixels wide (pitch 7): each row as one word, the first pixel
    // in the most significant bit, nothing past the width.
    std::vector<uint64_t> rowWords;

    bool Ink(int column, int row) const { return bits[static_cast<size_t>(row) * pitch + column / 8] & (0x80u >> (column % 8)); }
};
using GlyphRef = std::shared_ptr<const Glyph>;
// The glyphs of one face at one size, by code page 1252 byte. An entry is set
// once, under the engine's lock, and never changed; a line keeps the whole set
// alive while it paints, so eviction of the font cannot take its glyphs away.
using GlyphSet = std::array<GlyphRef, 256>;

// A line ready to paint: the glyphs of its font, each byte it uses among
// them rendered, and its cell.
struct Line {
    std::shared_ptr<const GlyphSet> glyphs;
    const Glyph& GlyphOf(char c) const { return *(*glyphs)[static_cast<unsigned char>(c)]; }
    int ascent = 0;
    int descent = 0;
    long long width = 0;
};

// Lays out count code page 1252 characters in the font (null: the stock
// system font). False when no font could be had; the line is then empty.
bool LayoutLine(const LOGFONTA* font, const char* chars, int count, Line& line);

} // namespace lumtar::platform
