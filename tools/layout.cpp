#include "layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tool {
namespace {

constexpr int FrameCopy = 69; // the frame draws at most this many characters

bool IsAddOn(int type) { return type == BarTypEan5 || type == BarTypEan2; }

int Narrow(const Style& s) { return s.narrow ? s.narrow : 1; }
int Wide(const Style& s) { return s.wide ? s.wide : 3; }

// Steps per narrow module: the element weight for the two codes that take one.
int StepsPerModule(int type, const Style& s)
{
    return type == BarTyp2aus5 || type == BarTyp3aus9 ? Narrow(s) : 1;
}

// A Codabar character is 10 units with two wide elements, 11 with three.
int CodabarUnits(const std::string& text)
{
    int units = 0;
    for (char c : text.substr(0, FrameCopy)) units += std::strchr("0123456789-$", c) ? 10 : 11;
    return units;
}

// The symbol's box: what the renderer divides the rectangle's width by.
int BoxSteps(const Resolved& r, const Style& s)
{
    const int n = static_cast<int>(std::min<std::size_t>(r.text.size(), FrameCopy));
    switch (r.type) {
    case BarTypIsbn:
    case BarTypEan13: return 107; // 8 margin (leading digit), 95 symbol, 4 margin
    case BarTypEan8: return 67;
    case BarTypUpc12: return 99;  // 2 blank, 95 symbol, 2 blank
    case BarTypEan5: return 49;   // 47 symbol, 2 blank
    case BarTypEan2: return 22;   // 20 symbol, 2 blank
    case BarTyp2aus5: return (2 * n + 1) * Wide(s) + (3 * n + 6) * Narrow(s);
    case BarTyp3aus9: return (3 * n + 6) * Wide(s) + (7 * n + 13) * Narrow(s);
    case BarTypCodabar: return CodabarUnits(r.text); // the gap after the last character counted
    default: return 1;
    }
}

// Along the symbol, in steps: quiet zone, box, gap, add-on box, quiet zone.
struct Span {
    int lead = 0, box = 0, gap = 0, addOn = 0, trail = 0;
    int Total() const { return lead + box + gap + addOn + trail; }
};

// Quiet zones beyond the box (ISO/IEC 15420: EAN-13 11 modules before the
// first bar and 7 after the last, EAN-8 7 and 7, UPC-A 9 and 9, 5 after an
// add-on; ISO/IEC 16390 and 16388 and Codabar: 10 narrow modules each side).
Span Measure(const Resolved& r, const Style& s)
{
    Span span;
    span.box = BoxSteps(r, s);
    if (s.quietZones) {
        switch (r.type) {
        case BarTypIsbn:
        case BarTypEan13: span = {3, span.box, 0, 0, 3}; break;
        case BarTypEan8:
        case BarTypUpc12: span = {7, span.box, 0, 0, 7}; break;
        case BarTypEan5:
        case BarTypEan2: span = {7, span.box, 0, 0, 3}; break;
        case BarTypCodabar: span = {10, span.box, 0, 0, 9}; break;
        default: span = {10 * Narrow(s), span.box, 0, 0, 10 * Narrow(s)}; break;
        }
    }
    if (!r.addOn.empty()) {
        // 9 modules from the last bar to the add-on's first (EAN-13 7 to 12, UPC-A 9 to 12).
        span.gap = r.type == BarTypUpc12 ? 9 - 2 : 9 - 4;
        span.addOn = r.addOn.size() == 5 ? 49 : 22;
        span.trail = s.quietZones ? 5 - 2 : 0;
    }
    return span;
}

// The usual height in steps when only the module width is given: EAN and UPC
// near their nominal 69 modules of bars plus the digits.
int UsualHeight(const Resolved& r, const Style& s, int box)
{
    switch (r.type) {
    case BarTypIsbn: return 90;
    case BarTypEan13:
    case BarTypUpc12: return 78;
    case BarTypEan8: return 64;
    case BarTypEan5:
    case BarTypEan2: return 60;
    default: return std::max(box / 4, 48 * StepsPerModule(r.type, s));
    }
}

// The frame's text height: 8/64 of the rectangle's height, rounded.
int TextHeight(FontChoice font, int height) { return font == FontChoice::None ? 0 : (8 * height + 32) / 64; }

const LOGFONTA* FontArgument(FontChoice font)
{
    return font == FontChoice::None ? BarFontNone : font == FontChoice::Bold ? BarFontBold : BarFontDefault;
}

// Upright layout coordinates (x along the symbol, y across from its top) onto
// the surface; turned, as the frame turns: x runs up from the area's bottom.
struct Mapper {
    RECT area;
    bool turned;
    int Across() const { return turned ? area.right - area.left : area.bottom - area.top; }
    RECT Map(int left, int top, int right, int bottom) const
    {
        if (!turned) return {area.left + left, area.top + top, area.left + right, area.top + bottom};
        return {area.left + top, area.bottom - right, area.left + bottom, area.bottom - left};
    }
};

// The smallest add-on rectangle height whose bars (which end a fortieth of
// the height short of its bottom) cover span.
int Cover(int span)
{
    int h = std::max(1, span + span / 39);
    while (h - h / 40 < span) ++h;
    while (h > 1 && (h - 1) - (h - 1) / 40 >= span) --h;
    return h;
}

// The default font at the height that makes the frame's text height th in a
// rectangle h high.
LOGFONTA AddOnFont(FontChoice font, int th, int h)
{
    LOGFONTA lf{};
    lf.lfHeight = std::clamp((th * 64 + h / 2) / h, 1, 32);
    lf.lfWeight = font == FontChoice::Bold ? FW_BOLD : 500;
    lf.lfCharSet = ANSI_CHARSET;
    std::strcpy(lf.lfFaceName, "Courier New");
    return lf;
}

// An add-on from y = top to bars ending at end. The frame draws a rectangle
// that is higher than wide turned, and an add-on's box is narrow: so the
// column is drawn as rectangles no higher than the box is wide, the first
// with the digits above its bars, the others continuing the bars below.
void DrawAddOnColumn(HDC dc, const Mapper& m, const std::string& digits, int left, int width, int top, int end, int th,
                     FontChoice font, int overlap)
{
    const int flag = digits.size() == 5 ? BarTypEan5 : BarTypEan2;
    const int limit = std::max(1, width - 1);
    for (int y = top, first = 1; first || y < end; first = 0) {
        const int h = std::min(Cover(end - y), limit);
        const RECT rect = m.Map(left, y, left + width, y + h);
        const LOGFONTA lf = AddOnFont(font, th, h);
        const bool digitsHere = first && font != FontChoice::None && th > 0;
        Bar2HdcEx(dc, digits.c_str(), &rect, digitsHere ? &lf : BarFontNone, flag, 0, 0);
        // The next part overlaps this one's bars by a module: no seam where a renderer smooths edges.
        const int barsEnd = y + h - h / 40;
        y = std::max(y + 1, barsEnd - overlap);
        if (barsEnd >= end) break;
    }
}

} // namespace

Plan PlanPicture(const Resolved& r, const Style& s, Format format, const Sizing& sizing)
{
    Plan p;
    const Span span = Measure(r, s);
    p.composed = !r.addOn.empty() || s.quietZones || !sizing.bySize;
    if (sizing.bySize) {
        p.surface = sizing.size;
        const int w = p.surface.width, h = p.surface.height;
        // The library's own rectangles: the whole bitmap, or 0.5 and 1 mm inside the metafile.
        p.rect = IsRaster(format) ? RECT{0, 0, w, h} : RECT{50, 50, w - 100, h - 100};
        if (!p.composed) return p;
        p.area = p.rect;
        p.turned = p.area.right - p.area.left < p.area.bottom - p.area.top;
        const int along = p.turned ? p.area.bottom - p.area.top : p.area.right - p.area.left;
        p.unit = along > 0 ? along / span.Total() : 0;
        if (p.unit < 1) {
            p.error = "the picture is too small for this symbol: it needs " + std::to_string(span.Total()) + " units along";
            return p;
        }
    } else {
        const double perMm = IsRaster(format) ? sizing.dpi / 25.4 : 100.0;
        const int steps = StepsPerModule(r.type, s);
        p.unit = std::max(1, static_cast<int>(std::lround(sizing.moduleMm * perMm / steps)));
        const double drawn = p.unit * steps / perMm;
        if (std::fabs(drawn - sizing.moduleMm) > 0.05 * sizing.moduleMm) {
            char buf[160];
            std::snprintf(buf, sizeof buf, "X-dimension %.3f mm drawn for the %.3f mm asked (%d %s per module)", drawn,
                          sizing.moduleMm, p.unit * steps, IsRaster(format) ? "pixels" : "hundredths of a mm");
            p.note = buf;
        }
        const double along = double(span.Total()) * p.unit;
        const double across = sizing.heightMm > 0 ? std::round(sizing.heightMm * perMm)
                                                  : double(UsualHeight(r, s, span.box)) * p.unit;
        if (along > 1000000 || across > 1000000 || across < 1) {
            p.error = "the picture would be " + std::to_string(std::lround(along)) + " x " + std::to_string(std::lround(across)) +
                      " units: at most 1000000 each";
            return p;
        }
        p.turned = sizing.turned;
        p.surface = p.turned ? Size{int(across), int(along)} : Size{int(along), int(across)};
        p.area = {0, 0, p.surface.width, p.surface.height};
    }
    // The frame turns a rectangle that is higher than wide; an add-on's column copes, other boxes must be long enough.
    const Mapper m{p.area, p.turned};
    const long long box = (long long)span.box * p.unit;
    if (!IsAddOn(r.type) && (box < m.Across() || (p.turned && box == m.Across())))
        p.error = "the symbol would be " + std::to_string(box) + " units long and " + std::to_string(m.Across()) +
                  " high: the frame would turn it; give a lower height";
    return p;
}

int DrawPicture(HDC dc, const Resolved& r, const Style& s, const Plan& plan)
{
    if (!plan.composed)
        return Bar2HdcEx(dc, r.text.c_str(), &plan.rect, FontArgument(s.font), r.types, s.narrow, s.wide);
    const Mapper m{plan.area, plan.turned};
    const Span span = Measure(r, s);
    const int u = plan.unit, across = m.Across(), th = TextHeight(s.font, across);
    const int left = span.lead * u, right = left + span.box * u;
    if (IsAddOn(r.type)) {
        // Alone, an add-on keeps the proportions the frame gives it: digits in the top eighth, bars to a fortieth above the bottom.
        DrawAddOnColumn(dc, m, r.text, left, span.box * u, 0, across - across / 40, th, s.font, u);
        return 1;
    }
    const RECT rect = m.Map(left, 0, right, across);
    const int drawn = Bar2HdcEx(dc, r.text.c_str(), &rect, FontArgument(s.font), r.types, s.narrow, s.wide);
    if (drawn && !r.addOn.empty()) {
        // Digits level with the main symbol's bar tops (below the ISBN line), bars down to its data bars' ends.
        const int top = r.type == BarTypIsbn ? 3 * th / 2 : 0;
        const int addOnLeft = right + span.gap * u;
        DrawAddOnColumn(dc, m, r.addOn, addOnLeft, span.addOn * u, top, across - th, th, s.font, u);
    }
    return drawn;
}

} // namespace tool
