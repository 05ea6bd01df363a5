#include "print/style.h"

#include <algorithm>
#include <cstring>

#include "output/encoders.h"

namespace lumtar::print {
namespace {

constexpr int Nominal = 330; // the EAN/UPC X-dimension at 100 %, micrometres
constexpr int Largest = 1000000;

bool Within(int value, int low, int high) { return value >= low && value <= high; }
bool Flag(int value) { return value == 0 || value == 1; }

int CheckSizing(const BarPrintStyle& r, Request& q)
{
    Sizing& z = q.sizing;
    z.raster = RasterFormat(q.output.format);
    if ((r.width == 0) != (r.height == 0) || !Within(r.width, 0, Largest) || !Within(r.height, 0, Largest) ||
        (r.physWidth == 0) != (r.physHeight == 0) || !Within(r.physWidth, 0, Largest) ||
        !Within(r.physHeight, 0, Largest) || !Within(r.dpi, 0, Largest))
        return BarProblemBox;
    z.width = r.width ? r.width : z.raster ? 600 : 5000;
    z.height = r.height ? r.height : z.raster ? 240 : 2000;
    z.dpi = r.dpi ? r.dpi : 300;
    if ((r.module && r.magnification) || (r.module && !Within(r.module, 10, 100000)) ||
        (r.magnification && !Within(r.magnification, 80, 200)))
        return BarProblemModule;
    z.module = r.magnification ? (Nominal * r.magnification + 50) / 100 : r.module;
    z.bySize = z.module == 0;
    if (!Within(r.barHeight, 0, 10 * Largest) || (r.barHeight && z.bySize)) return BarProblemHeight;
    z.barHeight = r.barHeight;
    if (!Within(r.rotate, 0, 270) || r.rotate % 90) return BarProblemRotate;
    z.rotate = r.rotate;
    if (!Within(r.paddingX, 0, Largest) || !Within(r.paddingY, 0, Largest)) return BarProblemPadding;
    z.padX = r.paddingX;
    z.padY = r.paddingY;
    if (r.bwr < 0 || r.bwr > 100000) return BarProblemBwr;
    z.bwr = r.bwr;
    return BarProblemNone;
}

int CheckLooks(const BarPrintStyle& r, Request& q)
{
    Style& s = q.style;
    if (!Flag(r.quietZones) || !Flag(r.indicators)) return BarProblemFlags;
    s.quietZones = r.quietZones;
    s.indicators = r.indicators;
    if (!Within(r.narrow, 0, 100) || !Within(r.wide, 0, 100)) return BarProblemWeights;
    s.narrow = r.narrow;
    s.wide = r.wide;
    if (!Within(r.bearer, 0, 2) || !Within(r.bearerWidth, 0, 100000)) return BarProblemBearer;
    s.bearer = r.bearer;
    s.bearerWidth = r.bearerWidth;
    if (!Within(r.text, 0, 2) || !Within(r.textSize, 0, Largest) || !std::memchr(r.textFace, 0, sizeof r.textFace))
        return BarProblemText;
    s.text = r.text;
    s.textSize = r.textSize;
    s.face = r.textFace;
    return BarProblemNone;
}

int Channel(int percent, int black) { return (255 * (100 - percent) * (100 - black) + 5000) / 10000; }

int CheckColors(const BarPrintStyle& r, Request& q)
{
    Output& o = q.output;
    if (!Within(r.inkModel, 0, 1) || !Within(r.ink, 0, 0xFFFFFF)) return BarProblemInk;
    for (int c : {r.cyan, r.magenta, r.yellow, r.black})
        if (!Within(c, 0, 100)) return BarProblemInk;
    o.ink = r.inkModel == BarInkCmyk
                ? Channel(r.cyan, r.black) << 16 | Channel(r.magenta, r.black) << 8 | Channel(r.yellow, r.black)
                : r.ink;
    o.cmyk = r.inkModel == BarInkCmyk;
    const int cmyk[4] = {r.cyan, r.magenta, r.yellow, r.black};
    std::copy(cmyk, cmyk + 4, o.cmykInk);
    // A 1-bit TIFF is black on white; an 8-bit one is the CMYK ink on no ink.
    if (o.format == BarFmtTif && !o.cmyk && o.ink != 0) return BarProblemInk;
    if (!Within(r.paper, 0, 2) || !Within(r.paperColor, 0, 0xFFFFFF)) return BarProblemPaper;
    if (o.format == BarFmtTif && r.paper != BarPaperWhite) return BarProblemPaper;
    // Transparency: PNG's palette, SVG without its background, WMF as it is.
    if (r.paper == BarPaperNone && o.format != BarFmtPng && o.format != BarFmtSvg && o.format != BarFmtWmf)
        return BarProblemPaper;
    o.paper = r.paper;
    o.paperColor = r.paper == BarPaperColor ? r.paperColor : 0xFFFFFF;
    return BarProblemNone;
}

} // namespace

bool Writes(int format) { return format >= BarFmtWmf && format <= BarFmtEmf; }

int CheckStyle(const BarPrintStyle& r, int format, Request& q)
{
    if (r.size != sizeof(BarPrintStyle)) return BarProblemSize;
    if (!Writes(format)) return BarProblemFormat;
    q.output.format = format;
    q.types = r.types ? r.types : BarTypAll;
    if (const int problem = CheckSizing(r, q)) return problem;
    if (const int problem = CheckLooks(r, q)) return problem;
    if (const int problem = CheckColors(r, q)) return problem;
    const Sizing& z = q.sizing;
    // A raster picture's printed size: the one given, or its pixels at the resolution.
    q.output.physWidth = r.physWidth;
    q.output.physHeight = r.physHeight;
    static_cast<void>(z);
    return BarProblemNone;
}

} // namespace lumtar::print
