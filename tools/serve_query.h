// lumtar serve: from a request's query parameters to what is drawn. Pure
// functions over strings, so the parser runs the same under a fuzzer as in
// the server. Two forms are read:
//   /render?text=...&format=...  the tool's own option names (module, dpi,
//                                quiet-zones, ...), one parameter each
//   /?bcid=ean13&text=...        bwip-js's query form, translated into ours
#pragma once

#include <map>
#include <string>

namespace tool {

using Params = std::multimap<std::string, std::string>; // as the HTTP layer decodes them

// One picture, every option of the print call, in the units the tool's
// options take. A zero or empty field is the library's default.
struct Query {
    std::string text;          // the code, with +NN or +NNNNN for an add-on
    int types = 511;           // the mask tried, lowest flag first (BarTypAll); 512 ITF-14
    std::string format = "png"; // a name of ServeFormats
    int width = 0, height = 0; // size: the box, pixels (raster) or 0.01 mm (vector); 0: the format's default
    double module = 0;         // the narrow module width in mm (sizes the picture instead of the box)
    int dpi = 0;               // raster pixels per inch; 0: 300
    double barHeight = 0;      // mm, with module or magnification
    int magnification = 0;     // percent of the 0.33 mm EAN/UPC module, 80 to 200
    bool quietZones = false, indicators = false;
    double bwr = 0;            // bar width reduction in mm
    int bearer = 0;            // ITF-14 bearer bars: 0 frame, 1 none, 2 top and bottom bars
    long ink = -1;             // 0xRRGGBB; -1 black
    int cmyk[4] = {-1, 0, 0, 0}; // the ink as cyan, magenta, yellow, black in percent; cmyk[0] -1: RGB
    long paper = -1;           // 0xRRGGBB; -1 white, -2 none (transparent)
    int rotate = 0;            // 0, 90, 180 or 270 degrees
    int font = 0;              // the human-readable text: 0 default, 1 none, 2 bold
    std::string textFont;      // a face of the caller's for that text
    double textSize = 0;       // its height in mm
    int narrow = 0, wide = 0;  // Interleaved 2 of 5 and Code 39 element weights
    double padX = 0, padY = 0; // blank beside (left and right) and above and below the symbol, mm
    bool strict = true;        // refuse a wrong check digit instead of trying later types (strict=no: the library's way)
};

struct ServeFormat {
    const char* name;
    const char* contentType;
    bool raster;
};
extern const ServeFormat ServeFormats[8];
const ServeFormat* ServeFormatNamed(const std::string& name);

// A query, or the answer to a request that cannot give one.
struct Parsed {
    Query query;
    int status = 200;   // 400: bad parameter; 413: beyond the size limits
    std::string reason; // one line, for the 400 or 413 answer
};

// Limits per picture, answered with 413 beyond them.
constexpr long long MaxPixels = 25'000'000;  // width x height of a raster picture
constexpr int MaxSide = 20'000;              // pixels on either side
constexpr double MaxMm = 1'000;              // either side of any picture, in mm
constexpr std::size_t MaxTextLength = 69;    // the frame's longest text

Parsed ParseRender(const Params& params);
Parsed ParseBwip(const Params& params);

// A reason as one line of text: control characters (a parameter's name or a
// text may hold any) become '?'.
std::string OneLine(std::string text);

// The query as one canonical line: two requests that draw the same picture
// give the same line, whatever their parameters' order or spelling.
std::string Normalised(const Query& q);

} // namespace tool
