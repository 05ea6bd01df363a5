// Where a printed symbol goes on its picture. A plain picture is the
// library's: one frame call on the rectangle BarToWmf or BarToBmp would use.
// A composed one (an add-on beside its symbol, quiet zones and their marks, a
// module width asked for, ITF-14's bearer bars, a turn) is laid out here in
// whole units of the symbol's narrowest step, so that every frame call on the
// picture gets a rectangle of exactly its symbol's box.
#pragma once

#include <string>

#include "lumtar32_gdi.h"
#include "lumtar32_print.h"
#include "print/resolve.h"

namespace lumtar::print {

// The record's drawing choices, checked, lengths still in micrometres.
struct Style {
    int text = BarTextDefault;
    std::string face;  // empty: the frame's own font
    int textSize = 0;  // micrometres, 0: the frame's eighth
    int narrow = 0, wide = 0;
    bool quietZones = false, indicators = false;
    int bearer = BarBearerFrame, bearerWidth = 0;
};

struct Sizing {
    bool raster = false;
    bool bySize = true;
    int width = 0, height = 0; // the box: 0.01 mm or pixels
    int module = 0;            // micrometres
    int barHeight = 0;         // the symbol's height, micrometres
    int dpi = 300;
    int rotate = 0;
    int padX = 0, padY = 0;    // micrometres
    int bwr = 0;               // micrometres
};

struct Plan {
    int width = 0, height = 0; // the picture: 0.01 mm or pixels
    bool composed = false;
    RECT rect{};               // plain: the frame's rectangle
    RECT area{};               // composed: the region the layout fills
    bool turned = false;       // composed: the symbol runs up the area
    bool flip = false;         // the picture is turned by 180 degrees after drawing
    int unit = 0;              // composed: logical units per step
    int problem = 0;           // BarProblem...: no picture
    int moduleUnits = 0;       // units per narrow module, 0 in a box
    int module = 0;            // micrometres drawn
    int bwrUnits = 0, bwr = 0; // bar width reduction drawn: units, micrometres
    int along = 0;             // composed: the layout's length in units
    int bearer = 0;            // ITF-14: the bearer bars' thickness in units
    double perMm = 100;        // units per millimetre
};

double UnitsPerMm(const Sizing& sizing);

Plan PlanPicture(const Resolved& r, const Style& s, const Sizing& sizing);

// Draws the planned picture onto dc: non-zero when the main symbol was drawn.
int DrawPicture(HDC dc, const Resolved& r, const Style& s, const Plan& plan);

} // namespace lumtar::print
