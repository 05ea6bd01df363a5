// Where a symbol goes on its surface. A plain picture is the library's: one
// frame call on the rectangle BarToWmf or BarToBmp would use. A composed one
// (an add-on beside its symbol, quiet zones, or a module width asked for) is
// laid out here in whole units of the symbol's narrowest step, so that every
// frame call on the surface gets a rectangle of exactly its symbol's box.
#pragma once

#include <string>

#include "lumtar32.h"
#include "lumtar32_gdi.h"
#include "options.h"
#include "resolve.h"

namespace tool {

enum class FontChoice { Default, None, Bold };

struct Style {
    FontChoice font = FontChoice::Default;
    int narrow = 0, wide = 0; // Interleaved 2 of 5 and Code 39 weights; 0 for the defaults 1 and 3
    bool quietZones = false;
};

// How the picture is sized: by --size, or by --module (and --height) at --dpi.
struct Sizing {
    bool bySize = true;
    Size size;              // --size: 0.01 mm for vector formats, pixels for raster ones
    double moduleMm = 0;    // --module: the narrow module width
    double heightMm = 0;    // --height, 0 for the symbology's usual height
    int dpi = 300;          // raster pixels per inch
    bool turned = false;    // --turned: the symbol runs upwards
};

struct Plan {
    Size surface;            // the picture: 0.01 mm or pixels
    bool composed = false;
    RECT rect{};             // plain: the frame's rectangle
    RECT area{};             // composed: the region the layout fills
    bool turned = false;     // composed: the symbol runs up the area
    int unit = 0;            // composed: logical units per step
    std::string error;       // why there is no picture; empty when there is one
    std::string note;        // for stderr (the X-dimension drawn, when it is not the one asked for)
};

Plan PlanPicture(const Resolved& r, const Style& s, Format format, const Sizing& sizing);

// Draws the planned picture onto dc: non-zero when the main symbol was drawn.
int DrawPicture(HDC dc, const Resolved& r, const Style& s, const Plan& plan);

} // namespace tool
