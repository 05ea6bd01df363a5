// What the command line says, parsed: code types, sizes, formats, and the
// words the tool prints about them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tool {

// Exit status
constexpr int ExitOk = 0;
constexpr int ExitNoType = 1; // a text fits none of the requested types (or --strict refuses it)
constexpr int ExitUsage = 2;  // bad arguments
constexpr int ExitFile = 3;   // a file cannot be written
constexpr int ExitGdi = 4;    // the picture cannot be created (too large?)

enum class Format { Wmf, Bmp, Png, Svg, Pdf, Eps, Tif, Emf };

inline bool IsRaster(Format f) { return f == Format::Bmp || f == Format::Png || f == Format::Tif; }

// "wmf", "PNG", ...: nullopt for a name that is no format.
std::optional<Format> FormatNamed(std::string name);
// The format of a file name's extension; nullopt without a known one.
std::optional<Format> FormatOfPath(const std::string& path);
const char* FormatName(Format f);
extern const char* const FormatList; // "wmf, bmp, png, svg, pdf, eps, tif, emf"

// "ean13,code39", "EAN13+code39", "2+256" or a number; nullopt for an
// unknown name or a mask with none of the nine types in it.
std::optional<int> ParseTypes(const std::string& list);
std::string CheckTypes(const std::string& list); // CLI11 validator: "" or the message
extern const char* const TypesHelp;

struct Size {
    int width = 0, height = 0;
};
// "WxH" (also "W×H"), both whole numbers from 1 to 1000000.
std::optional<Size> ParseSize(std::string text);
std::string CheckSize(const std::string& text);

// "RRGGBB" in hexadecimal.
std::optional<int> ParseColor(const std::string& text);
std::string CheckColor(const std::string& text);

// English name of one type flag ("EAN-13", "Code 39").
const char* TypeName(int type);

// A text for a message: as it is, or its beginning and its length when long.
std::string Quoted(const std::string& text);

// The library's names and messages are code page 1252; terminals speak UTF-8.
std::string FromCp1252(const char* text);

// A progress bar on stderr ("[####    ] done/total", drawn over the last
// one), ended by a line end when done reaches total; for a terminal only.
bool StderrIsTerminal();
void DrawProgress(std::size_t done, std::size_t total);

} // namespace tool
