#include "serve_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lumtar32.h"
#include "lumtar32_print.h"
#include "job.h"
#include "options.h"
#include "resolve.h"

namespace tool {
namespace {

struct TypeInfo {
    int flag;
    const char* name;    // as type= takes it
    const char* english;
    const char* takes;
};
constexpr TypeInfo Types[] = {
    {BarTypIsbn, "isbn", "ISBN", "ISBN-10, hyphens allowed; +NN or +NNNNN for an add-on"},
    {BarTypEan13, "ean13", "EAN-13", "13 digits with the check digit; +NN or +NNNNN for an add-on"},
    {BarTypEan8, "ean8", "EAN-8", "8 digits with the check digit"},
    {BarTypUpc12, "upca", "UPC-A", "11 digits, or 12 with the check digit; +NN or +NNNNN for an add-on"},
    {BarTypEan5, "ean5", "EAN-5", "5 digits"},
    {BarTypEan2, "ean2", "EAN-2", "2 digits"},
    {BarTyp2aus5, "itf", "Interleaved 2 of 5", "an even number of digits"},
    {BarTypCodabar, "codabar", "Codabar", "0-9 - $ : / . + between start and stop characters A-D"},
    {BarTyp3aus9, "code39", "Code 39", "0-9 A-Z space - . $ / + %"},
    {BarTypItf14, "itf14", "ITF-14", "13 digits, or 14 with the check digit"},
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
        if (mask & t.flag) list += (list.empty() ? "" : ", ") + std::string(t.english);
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

int Micrometres(double mm) { return static_cast<int>(std::lround(mm * 1000)); }

BarPrintStyle StyleOf(const Query& q)
{
    BarPrintStyle s{};
    s.size = sizeof s;
    s.types = q.types;
    s.width = q.width;
    s.height = q.height;
    s.dpi = q.dpi;
    s.module = Micrometres(q.module);
    s.magnification = q.magnification;
    s.barHeight = Micrometres(q.barHeight);
    s.quietZones = q.quietZones;
    s.indicators = q.indicators;
    s.bwr = Micrometres(q.bwr);
    s.bearer = q.bearer;
    s.rotate = q.rotate;
    s.narrow = q.narrow;
    s.wide = q.wide;
    s.text = q.font;
    s.textSize = Micrometres(q.textSize);
    std::strncpy(s.textFace, q.textFont.c_str(), sizeof s.textFace - 1);
    s.inkModel = q.cmyk[0] >= 0 ? BarInkCmyk : BarInkRgb;
    s.ink = q.ink >= 0 ? static_cast<int>(q.ink) : 0;
    s.cyan = std::max(0, q.cmyk[0]);
    s.magenta = q.cmyk[1];
    s.yellow = q.cmyk[2];
    s.black = q.cmyk[3];
    s.paper = q.paper == -1 ? BarPaperWhite : q.paper == -2 ? BarPaperNone : BarPaperColor;
    s.paperColor = q.paper >= 0 ? static_cast<int>(q.paper) : 0;
    s.paddingX = Micrometres(q.padX);
    s.paddingY = Micrometres(q.padY);
    return s;
}

// A raster picture sized by its module is as large as its text makes it: a
// bound on that, from the widest symbol per character (Code 39 with its
// weights) and the tallest usual height, keeps the drawing within the limits
// before a pixel is drawn.
bool WithinLimits(const Query& q, bool raster)
{
    if (!raster || !(q.module > 0 || q.magnification)) return true; // a box: the parser checked it
    const int dpi = q.dpi ? q.dpi : 300;
    const double mm = q.module > 0 ? q.module : 0.33 * q.magnification / 100;
    const double module = std::max(1.0, std::round(mm * dpi / 25.4)), px = dpi / 25.4;
    const double ratio = std::ceil(double(q.wide ? q.wide : 3) / (q.narrow ? q.narrow : 1));
    const double along = ((q.text.size() + 2) * (3 * ratio + 7) + 60) * module + 2 * q.padX * px;
    const double across = (q.barHeight > 0 ? q.barHeight * px : std::max(along / 4, 90 * module)) + 2 * q.padY * px;
    return along <= MaxSide && across <= MaxSide && along * across <= double(MaxPixels);
}

// The picture into a.body through the print call; a result of it.
int Print(const Query& q, Answer& a, BarPrintInfo& info)
{
    thread_local std::vector<unsigned char> bytes; // one buffer per thread for all its pictures
    const auto format = FormatNamed(q.format);
    if (!format) return BarErrGdi; // the query's parser knows no other formats
    const int result = PrintInto(q.text, StyleOf(q), *format, info, bytes);
    if (result == BarOk) a.body.assign(bytes.begin(), bytes.end());
    return result;
}

} // namespace

void DrawQuery(const Query& q, Answer& a)
{
    a.status = 200;
    a.body.clear();
    const bool raster = ServeFormatNamed(q.format)->raster;
    if (!WithinLimits(q, raster))
        return Refuse(a, 413, "the picture would be larger than " + std::to_string(MaxSide) + " pixels a side or " +
                                  std::to_string(MaxPixels) + " pixels in all");
    // Strict: a wrong check digit is refused, not drawn as a later type.
    const Resolved r = Resolve(q.text, q.types & BarTypAll);
    const std::string tried = Quoted(q.text) + " fits none of the types tried (" + TypesTried(q.types) + ")";
    if (q.strict && r.fallback) return Refuse(a, 400, tried + "; " + r.why);
    BarPrintInfo info{};
    info.size = sizeof info;
    const int result = Print(q, a, info);
    if (result == BarErrCode) return Refuse(a, 400, tried + (r.why.empty() ? "" : "; " + r.why));
    if (result == BarErrStyle)
        return Refuse(a, info.problem == BarProblemTooLarge ? 413 : 400,
                      info.problem == BarProblemTooLarge ? "the picture would be larger than this server draws"
                                                         : ProblemReason(info.problem));
    if (result != BarOk) return Refuse(a, 500, "the picture cannot be made");
    a.contentType = ServeFormatNamed(q.format)->contentType;
    a.typeDrawn = ShortName(info.type);
    if (info.addOnType) a.typeDrawn += std::string("+") + ShortName(info.addOnType);
}

std::string TypesJson()
{
    std::string json = "[";
    for (const auto& t : Types) {
        json += json.size() > 1 ? ",\n " : "";
        const std::string display = t.flag <= BarTypAll ? FromCp1252(BarCodeName(t.flag)) : t.english;
        json += "{\"name\":" + JsonString(t.name) + ",\"flag\":" + std::to_string(t.flag) + ",\"display\":" +
                JsonString(display) + ",\"english\":" + JsonString(t.english) + ",\"takes\":" + JsonString(t.takes) + "}";
    }
    return json + "]\n";
}

} // namespace tool
