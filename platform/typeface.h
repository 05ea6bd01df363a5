// The library's one font engine: one FreeType library, one fontconfig
// configuration, one map from Windows face names to the faces the library
// is installed with (fonts-liberation), and one rule for a face's cell.
// The raster's text (font.cpp) and the vector formats (output/faces.cpp)
// both find and measure their faces here, so the same text gets the same
// face and the same cell on every machine.
#pragma once

#include <mutex>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace lumtar::platform {

// Guards FreeType and fontconfig; held by every use of the two below.
std::mutex& FontLock();
FT_Library FontLibrary(); // null without memory for FreeType

// The file that draws a face name (code page 1252, as a LOGFONTA holds it)
// in a style. The device's stock font is a bold sans serif.
struct FaceFile {
    std::string path;
    int index = 0;
    std::string family;     // as the file names itself, UTF-8
    std::string postscript; // its PostScript name
    bool bold = false;      // the file's own weight and slant
    bool italic = false;
    bool embolden = false;  // bold asked for, the file has none: made up
};
struct FaceRequest {
    std::string face; // code page 1252; ignored for the stock font
    bool stock = false;
    bool bold = false;
    bool italic = false;
};
bool FindFace(const FaceRequest& request, FaceFile& file); // caller holds FontLock()

// GDI's cell of a TrueType face in font units: the OS/2 Windows ascent and
// descent, else the horizontal header's, else FreeType's.
struct CellUnits {
    long long ascent = 0;
    long long descent = 0;
    long long unitsPerEm = 2048;
};
CellUnits CellUnitsOf(FT_Face face);

// The Unicode code point of a code page 1252 byte, and count such bytes as UTF-8.
uint32_t UnicodeOf(unsigned char c);
std::string Utf8Of(const char* chars, size_t count);

} // namespace lumtar::platform
