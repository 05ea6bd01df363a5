#include "print/layout.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "print/marks.h"

namespace lumtar::print {
namespace {

constexpr int FrameCopy = 69; // the frame draws at most this many characters
constexpr int RasterLargest = 1000000, VectorLargest = 32767;

bool IsAddOn(int type) { return type == BarTypEan5 || type == BarTypEan2; }
int Narrow(const Style& s) { return s.narrow ? s.narrow : 1; }
int Wide(const Style& s) { return s.wide ? s.wide : 3; }

// Steps per narrow module: the element weight for the codes that take one.
int StepsPerModule(int type, const Style& s)
{
    return type == BarTyp2aus5 || type == BarTyp3aus9 || type == BarTypItf14 ? Narrow(s) : 1;
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
    case BarTyp2aus5:
    case BarTypItf14: return (2 * n + 1) * Wide(s) + (3 * n + 6) * Narrow(s);
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
// add-on; ISO/IEC 16390 and 16388 and Codabar: 10 narrow modules each side;
// ITF-14 always has them).
Span Measure(const Resolved& r, const Style& s)
{
    Span span;
    span.box = BoxSteps(r, s);
    if (s.quietZones || s.indicators || r.type == BarTypItf14) {
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
        span.trail = s.quietZones || s.indicators ? 5 - 2 : 0;
    }
    return span;
}

// ITF-14's bearer bars: thickness in units (five modules unless given), and
// whether they frame the symbol.
bool Framed(const Resolved& r, const Style& s) { return r.type == BarTypItf14 && s.bearer == BarBearerFrame; }
int BearerUnits(const Resolved& r, const Style& s, int unit, double perMm)
{
    if (r.type != BarTypItf14 || s.bearer == BarBearerNone) return 0;
    if (s.bearerWidth) return std::max(1, static_cast<int>(std::lround(s.bearerWidth * perMm / 1000)));
    return 5 * Narrow(s) * unit;
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
    case BarTypItf14: return 38 * Narrow(s); // 32 modules of bars and the digits
    default: return std::max(box / 4, 48 * StepsPerModule(r.type, s));
    }
}

int Units(int micrometres, double perMm) { return static_cast<int>(std::lround(micrometres * perMm / 1000)); }

// The text's height in 64ths of the bars' area, as the frame reads a font's lfHeight.
int Height64(const Style& s, int across, double perMm)
{
    if (!s.textSize || across <= 0) return 8;
    return std::clamp((Units(s.textSize, perMm) * 64 + across / 2) / across, 1, 64);
}

// The frame's text height for an area `across` high.
int TextHeight(const Style& s, int across, double perMm)
{
    return s.text == BarTextNone ? 0 : (Height64(s, across, perMm) * across + 32) / 64;
}

LOGFONTA FontOf(const Style& s, int height64)
{
    LOGFONTA lf{};
    lf.lfHeight = height64;
    lf.lfWeight = s.text == BarTextBold ? FW_BOLD : 500;
    lf.lfCharSet = ANSI_CHARSET;
    std::strncpy(lf.lfFaceName, s.face.empty() ? "Courier New" : s.face.c_str(), sizeof lf.lfFaceName - 1);
    return lf;
}

// The frame's font argument: its own for the plain choices, else the caller's face and size.
const LOGFONTA* FontArgument(const Style& s, int across, double perMm, LOGFONTA& buffer)
{
    if (s.text == BarTextNone) return BarFontNone;
    if (s.face.empty() && !s.textSize) return s.text == BarTextBold ? BarFontBold : BarFontDefault;
    buffer = FontOf(s, Height64(s, across, perMm));
    return &buffer;
}

// The smallest add-on rectangle height whose bars (which end a fortieth of
// the height short of its bottom) cover span.
int Cover(int span)
{
    int h = std::max(1, span + span / 39);
    while (h - h / 40 < span) ++h;
    while (h > 1 && (h - 1) - (h - 1) / 40 >= span) --h;
    return h;
}

// An add-on from y = top to bars ending at end. The frame draws a rectangle
// that is higher than wide turned, and an add-on's box is narrow: so the
// column is drawn as rectangles no higher than the box is wide, the first
// with the digits above its bars, the others continuing the bars below.
void DrawAddOnColumn(HDC dc, const Mapper& m, const std::string& digits, int left, int width, int top, int end, int th,
                     const Style& s, int overlap)
{
    const int flag = digits.size() == 5 ? BarTypEan5 : BarTypEan2;
    const int limit = std::max(1, width - 1);
    for (int y = top, first = 1; first || y < end; first = 0) {
        const int h = std::min(Cover(end - y), limit);
        const RECT rect = m.Map(left, y, left + width, y + h);
        const LOGFONTA lf = FontOf(s, std::clamp((th * 64 + h / 2) / h, 1, 32));
        const bool digitsHere = first && s.text != BarTextNone && th > 0;
        Bar2HdcEx(dc, digits.c_str(), &rect, digitsHere ? &lf : BarFontNone, flag, 0, 0);
        // The next part overlaps this one's bars by a module: no seam where a renderer smooths edges.
        const int barsEnd = y + h - h / 40;
        y = std::max(y + 1, barsEnd - overlap);
        if (barsEnd >= end) break;
    }
}

// The total turn: the frame's own of a box higher than wide, and the caller's.
void Turn(Plan& p, bool frameTurn, int rotate)
{
    const int total = (frameTurn ? 90 : 0) + rotate;
    p.turned = total % 180 == 90;
    p.flip = total % 360 >= 180;
}

// Scaled into the caller's box: the unit is what the box's length allows.
void PlanInBox(Plan& p, const Resolved& r, const Style& s, const Sizing& z, const Span& span, double perMm)
{
    const bool swap = z.rotate % 180 == 90;
    p.width = swap ? z.height : z.width;
    p.height = swap ? z.width : z.height;
    const int w = p.width, h = p.height;
    // The library's own rectangles: the whole bitmap, or 0.5 and 1 mm inside the metafile.
    p.rect = z.raster ? RECT{0, 0, w, h} : RECT{50, 50, w - 100, h - 100};
    if (!p.composed) return;
    Turn(p, z.width < z.height, z.rotate);
    const int padAlong = Units(z.padX, perMm), padAcross = Units(z.padY, perMm);
    p.area = p.rect;
    (p.turned ? p.area.top : p.area.left) += padAlong;
    (p.turned ? p.area.bottom : p.area.right) -= padAlong;
    (p.turned ? p.area.left : p.area.top) += padAcross;
    (p.turned ? p.area.right : p.area.bottom) -= padAcross;
    const long long along = p.turned ? p.area.bottom - p.area.top : p.area.right - p.area.left;
    const int framed = Framed(r, s) ? 2 : 0;
    if (s.bearerWidth && framed) {
        p.bearer = BearerUnits(r, s, 0, perMm);
        p.unit = along > framed * p.bearer ? static_cast<int>((along - framed * p.bearer) / span.Total()) : 0;
    } else {
        const int steps = span.Total() + framed * 5 * Narrow(s);
        p.unit = along > 0 ? static_cast<int>(along / steps) : 0;
        p.bearer = BearerUnits(r, s, p.unit, perMm);
    }
    if (!z.raster && (w > VectorLargest || h > VectorLargest)) p.problem = BarProblemTooLarge;
    else if (p.unit < 1) p.problem = BarProblemTooSmall;
}

// As large as the symbol needs at the X-dimension asked for.
void PlanByModule(Plan& p, const Resolved& r, const Style& s, const Sizing& z, const Span& span, double perMm)
{
    const int steps = StepsPerModule(r.type, s);
    p.unit = std::max(1, static_cast<int>(std::lround(z.module * perMm / 1000 / steps)));
    p.bearer = BearerUnits(r, s, p.unit, perMm);
    const double along = double(span.Total()) * p.unit + (Framed(r, s) ? 2.0 * p.bearer : 0);
    const double across = z.barHeight ? std::round(z.barHeight * perMm / 1000) : double(UsualHeight(r, s, span.box)) * p.unit;
    const int padAlong = Units(z.padX, perMm), padAcross = Units(z.padY, perMm);
    const double largest = z.raster ? RasterLargest : VectorLargest;
    if (along + 2 * padAlong > largest || across + 2 * padAcross > largest || across < 1) {
        p.problem = BarProblemTooLarge;
        return;
    }
    Turn(p, false, z.rotate);
    const int a = static_cast<int>(along), c = static_cast<int>(across);
    p.width = p.turned ? c + 2 * padAcross : a + 2 * padAlong;
    p.height = p.turned ? a + 2 * padAlong : c + 2 * padAcross;
    p.area = p.turned ? RECT{padAcross, padAlong, padAcross + c, padAlong + a}
                      : RECT{padAlong, padAcross, padAlong + a, padAcross + c};
}

} // namespace

double UnitsPerMm(const Sizing& sizing) { return sizing.raster ? sizing.dpi / 25.4 : 100.0; }

Plan PlanPicture(const Resolved& r, const Style& s, const Sizing& z)
{
    Plan p;
    const Span span = Measure(r, s);
    const double perMm = UnitsPerMm(z);
    p.perMm = perMm;
    p.composed = !r.addOn.empty() || s.quietZones || s.indicators || !z.bySize || z.rotate || z.padX || z.padY || z.bwr ||
                 r.type == BarTypItf14;
    if (z.bySize)
        PlanInBox(p, r, s, z, span, perMm);
    else
        PlanByModule(p, r, s, z, span, perMm);
    if (p.problem || !p.composed) return p;
    const int steps = StepsPerModule(r.type, s);
    p.moduleUnits = p.unit * steps;
    p.module = static_cast<int>(std::lround(p.moduleUnits * 1000 / perMm));
    p.bwrUnits = Units(z.bwr, perMm);
    p.bwr = static_cast<int>(std::lround(p.bwrUnits * 1000 / perMm));
    if (p.bwrUnits >= p.moduleUnits) {
        p.problem = BarProblemBwr;
        return p;
    }
    p.along = span.Total() * p.unit + (Framed(r, s) ? 2 * p.bearer : 0);
    // The frame turns a rectangle that is higher than wide; an add-on's column copes, other boxes must be long enough.
    const Mapper m{p.area, p.turned};
    const int across = m.Across() - (r.type == BarTypItf14 ? 2 * p.bearer + TextHeight(s, m.Across(), perMm) : 0);
    const long long box = (long long)span.box * p.unit;
    if (!IsAddOn(r.type) && (box < across || (p.turned && box == across) || across < 1)) p.problem = BarProblemTooSmall;
    return p;
}

namespace {

// ITF-14: bearer bars (a frame, or above and below), the bars between them,
// the digits centred below.
int DrawItf14(HDC dc, const Mapper& m, const Resolved& r, const Style& s, const Plan& p, double perMm)
{
    const int u = p.unit, t = p.bearer, across = m.Across(), th = TextHeight(s, across, perMm);
    const Span span = Measure(r, s);
    const int frame = Framed(r, s) ? t : 0;
    const int left = frame + span.lead * u, right = left + span.box * u, barsEnd = across - th - t;
    const RECT rect = m.Map(left, t, right, barsEnd);
    const int drawn = Bar2HdcEx(dc, r.text.c_str(), &rect, BarFontNone, BarTyp2aus5, s.narrow, s.wide);
    if (t) {
        DrawBar(dc, m, 0, 0, p.along, t);
        DrawBar(dc, m, 0, barsEnd, p.along, barsEnd + t);
    }
    if (frame) {
        DrawBar(dc, m, 0, t, t, barsEnd);
        DrawBar(dc, m, p.along - t, t, p.along, barsEnd);
    }
    DrawLine(dc, m, (left + right) / 2, across, r.text, TA_BOTTOM | TA_CENTER, FontOf(s, 0), th);
    return drawn;
}

// The light margin indicators: "<" at the start of EAN-8's left quiet zone,
// ">" at the end of the right one of EAN-13 and EAN-8, and after an add-on.
void DrawIndicators(HDC dc, const Mapper& m, const Resolved& r, const Style& s, const Span& span, int u, int th)
{
    const LOGFONTA font = FontOf(s, 0);
    const int end = span.Total() * u, across = m.Across();
    if (r.type == BarTypEan8) DrawLine(dc, m, 0, across, "<", TA_BOTTOM | TA_LEFT, font, th);
    if (!r.addOn.empty())
        DrawLine(dc, m, end, r.type == BarTypIsbn ? 3 * th / 2 : 0, ">", TA_TOP | TA_RIGHT, font, th);
    else if (r.type == BarTypEan8 || r.type == BarTypEan13 || r.type == BarTypIsbn)
        DrawLine(dc, m, end, across, ">", TA_BOTTOM | TA_RIGHT, font, th);
    else if (IsAddOn(r.type))
        DrawLine(dc, m, end, 0, ">", TA_TOP | TA_RIGHT, font, th);
}

} // namespace

int DrawPicture(HDC dc, const Resolved& r, const Style& s, const Plan& plan)
{
    const double perMm = plan.perMm;
    LOGFONTA font;
    if (!plan.composed) {
        const int across = std::min(std::abs(plan.rect.right - plan.rect.left), std::abs(plan.rect.bottom - plan.rect.top));
        return Bar2HdcEx(dc, r.text.c_str(), &plan.rect, FontArgument(s, across, perMm, font), r.types, s.narrow, s.wide);
    }
    const Mapper m{plan.area, plan.turned};
    if (r.type == BarTypItf14) return DrawItf14(dc, m, r, s, plan, perMm);
    const Span span = Measure(r, s);
    const int u = plan.unit, across = m.Across(), th = TextHeight(s, across, perMm);
    const int left = span.lead * u, right = left + span.box * u;
    if (IsAddOn(r.type)) {
        // Alone, an add-on keeps the proportions the frame gives it: digits in the top eighth, bars to a fortieth above the bottom.
        DrawAddOnColumn(dc, m, r.text, left, span.box * u, 0, across - across / 40, th, s, u);
    } else {
        const RECT rect = m.Map(left, 0, right, across);
        if (!Bar2HdcEx(dc, r.text.c_str(), &rect, FontArgument(s, across, perMm, font), r.types, s.narrow, s.wide))
            return 0;
        if (!r.addOn.empty()) {
            // Digits level with the main symbol's bar tops (below the ISBN line), bars down to its data bars' ends.
            const int top = r.type == BarTypIsbn ? 3 * th / 2 : 0;
            DrawAddOnColumn(dc, m, r.addOn, right + span.gap * u, span.addOn * u, top, across - th, th, s, u);
        }
    }
    if (s.indicators) DrawIndicators(dc, m, r, s, span, u, th);
    return 1;
}

} // namespace lumtar::print
