// A caller's style record, checked field by field and turned into the
// layout's choices and the output's colours.
#pragma once

#include <cstdint>

#include "lumtar32_print.h"
#include "print/layout.h"

namespace lumtar::print {

struct Output {
    int format = 0;
    int physWidth = 0, physHeight = 0; // raster: 0.01 mm
    int ink = 0;                       // 0xRRGGBB
    bool cmyk = false;                 // the ink given as CMYK: PDF, EPS and TIFF state it so
    int cmykInk[4] = {};               // cyan, magenta, yellow, black in percent
    int paper = BarPaperWhite;
    int paperColor = 0xFFFFFF;         // 0xRRGGBB
    bool Colored() const { return ink != 0 || paper != BarPaperWhite; }
};

struct Request {
    int types = BarTypAll;
    Style style;
    Sizing sizing;
    Output output;
};

// BarProblemNone, or the field refused.
int CheckStyle(const BarPrintStyle& record, int format, Request& request);

// Whether this build writes the format.
bool Writes(int format);

} // namespace lumtar::print
