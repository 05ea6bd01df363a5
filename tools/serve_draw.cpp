#include "serve_draw.h"

#include <cstdint>

#include "layout.h"
#include "lumtar32.h"
#include "options.h"
#include "picture.h"
#include "resolve.h"

namespace tool {
namespace {

struct TypeInfo {
    int flag;
    const char* name; // as type= takes it
    const char* takes;
};
constexpr TypeInfo Types[] = {
    {BarTypIsbn, "isbn", "ISBN-10, hyphens allowed; +NN or +NNNNN for an add-on"},
    {BarTypEan13, "ean13", "13 digits with the check digit; +NN or +NNNNN for an add-on"},
    {BarTypEan8, "ean8", "8 digits with the check digit"},
    {BarTypUpc12, "upca", "11 digits, or 12 with the check digit; +NN or +NNNNN for an add-on"},
    {BarTypEan5, "ean5", "5 digits"},
    {BarTypEan2, "ean2", "2 digits"},
    {BarTyp2aus5, "itf", "an even number of digits"},
    {BarTypCodabar, "codabar", "0-9 - $ : / . + between start and stop characters A-D"},
    {BarTyp3aus9, "code39", "0-9 A-Z space - . $ / + %"},
};

const char* ShortName(int flag)
{
    for (const auto& t : Types)
        if (t.flag == flag) return t.name;
    return "none";
}

std::string TypesTried(int mask)
{
    std::string list;
    for (const auto& t : Types)
        if (mask & t.flag) list += (list.empty() ? "" : ", ") + std::string(TypeName(t.flag));
    return list;
}

std::string JsonString(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

void Refuse(Answer& a, int status, std::string reason)
{
    a.status = status;
    a.reason = std::move(reason);
}

// Options of the print call that this build draws through the tool's layout
// cannot give yet: named, so nobody gets a picture without them unawares.
const char* NotYetDrawn(const Query& q)
{
    if (q.magnification) return "magnification";
    if (q.indicators) return "indicators";
    if (q.bwr > 0) return "bwr";
    if (q.bearer) return "bearer";
    if (q.ink != -1) return "ink";
    if (q.paper != -1) return "paper";
    if (q.rotate) return "rotate";
    if (!q.textFont.empty()) return "text-font";
    if (q.textSize > 0) return "text-size";
    return nullptr;
}

Sizing SizingOf(const Query& q, bool raster)
{
    Sizing s;
    s.bySize = q.module <= 0;
    s.size = q.width ? Size{q.width, q.height} : raster ? Size{600, 240} : Size{5000, 2000};
    s.moduleMm = q.module;
    s.heightMm = q.barHeight;
    s.dpi = q.dpi ? q.dpi : 300;
    return s;
}

bool WithinLimits(const Plan& plan, bool raster)
{
    const Size s = plan.surface;
    if (raster) return s.width <= MaxSide && s.height <= MaxSide && int64_t{s.width} * s.height <= MaxPixels;
    return s.width <= 32767 && s.height <= 32767; // the metafile's 16-bit coordinates
}

} // namespace

void DrawQuery(const Query& q, Answer& a)
{
    a.status = 200;
    a.body.clear();
    const auto format = FormatNamed(q.format);
    if (!format || !FormatAvailable(*format)) return Refuse(a, 400, "format: " + q.format + " pictures are not made by this build");
    if (const char* name = NotYetDrawn(q)) return Refuse(a, 400, std::string(name) + ": not drawn by this build");
    const Resolved r = Resolve(q.text, q.types);
    if (!r.type || (r.fallback && q.strict))
        return Refuse(a, 400, Quoted(q.text) + " fits none of the types tried (" + TypesTried(q.types) + ")" +
                                  (r.why.empty() ? "" : "; " + r.why));
    Style style;
    style.font = static_cast<FontChoice>(q.font);
    style.narrow = q.narrow;
    style.wide = q.wide;
    style.quietZones = q.quietZones;
    const bool raster = IsRaster(*format);
    const Sizing sizing = SizingOf(q, raster);
    const Plan plan = PlanPicture(r, style, *format, sizing);
    if (!plan.error.empty()) return Refuse(a, 400, plan.error);
    if (!WithinLimits(plan, raster))
        return Refuse(a, 413, "the picture would be " + std::to_string(plan.surface.width) + "x" +
                                  std::to_string(plan.surface.height) + (raster ? " pixels" : " hundredths of a mm") +
                                  ", beyond the limit");
    const Size phys{static_cast<int>((int64_t{plan.surface.width} * 2540 + sizing.dpi / 2) / sizing.dpi),
                    static_cast<int>((int64_t{plan.surface.height} * 2540 + sizing.dpi / 2) / sizing.dpi)};
    thread_local Bytes bytes;
    const int result = MakePicture(r, style, plan, *format, phys, bytes);
    if (result != BarOk) return Refuse(a, result == BarErrCode ? 400 : 500, "the picture cannot be made");
    a.body.assign(bytes.begin(), bytes.end());
    a.contentType = ServeFormatNamed(q.format)->contentType;
    a.typeDrawn = ShortName(r.type);
    if (!r.addOn.empty()) a.typeDrawn += r.addOn.size() == 5 ? "+ean5" : "+ean2";
}

std::string TypesJson()
{
    std::string json = "[";
    for (const auto& t : Types) {
        json += json.size() > 1 ? ",\n " : "";
        json += "{\"name\":" + JsonString(t.name) + ",\"flag\":" + std::to_string(t.flag) +
                ",\"display\":" + JsonString(FromCp1252(BarCodeName(t.flag))) + ",\"english\":" +
                JsonString(TypeName(t.flag)) + ",\"takes\":" + JsonString(t.takes) + "}";
    }
    return json + "]\n";
}

} // namespace tool
