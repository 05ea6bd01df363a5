// glabels' template files (<Glabels-templates>, as glabels-data installs
// them): each <Template> names its brand, part and paper; its label shape
// (<Label-rectangle>, <Label-round>, <Label-ellipse>, <Label-cd>) holds the
// markup margin and one or more <Layout nx ny x0 y0 dx dy>. Lengths carry
// their unit (pt, mm, cm, in, pc; none is points). A template with `equiv`
// takes another part's geometry under its own name.
//
// Parsed with expat: a small stream parser, already on every system that
// has fontconfig (which reads its own configuration with it), and these
// files are a flat run of elements that needs no tree.
#include <expat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sheet/sheet.h"

namespace lumtar::sheet {

const char* const GlabelsFolder = "/usr/share/libglabels-3.0/templates";

namespace {

constexpr double MaxLength = 10000; // mm: anything longer is no label sheet

struct Part {
    Template t;
    std::string brand, part, equiv;
    bool shaped = false; // a label shape was read
};

struct Reader {
    std::vector<Part> parts;
    bool inTemplate = false, inLabel = false;
    std::string error;
};

const char* Attribute(const XML_Char** attributes, const char* name)
{
    for (size_t i = 0; attributes[i]; i += 2)
        if (std::string(attributes[i]) == name) return attributes[i + 1];
    return nullptr;
}

// "181.4", "63.5mm", "2.625in", "" (0): millimetres; false for anything else.
bool Length(const char* text, double& mm)
{
    mm = 0;
    if (!text || !*text) return true;
    std::string s(text);
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' '; }), s.end());
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc{} || !std::isfinite(value)) return false;
    const std::string unit(end, static_cast<size_t>(s.data() + s.size() - end));
    const double scale = unit.empty() || unit == "pt" ? MmPerPoint
                         : unit == "mm"               ? 1.0
                         : unit == "cm"               ? 10.0
                         : unit == "in"               ? 25.4
                         : unit == "pc"               ? 12 * MmPerPoint
                                                      : 0.0;
    mm = value * scale;
    return scale != 0 && std::fabs(mm) <= MaxLength;
}

bool Count(const char* text, int& n)
{
    if (!text) return false;
    const auto [end, ec] = std::from_chars(text, text + std::char_traits<char>::length(text), n);
    return ec == std::errc{} && *end == '\0' && n >= 1 && n <= 1000;
}

void Fail(Reader& r, const std::string& why)
{
    if (r.error.empty()) r.error = why;
}

void StartTemplate(Reader& r, const XML_Char** a)
{
    Part p;
    const char* brand = Attribute(a, "brand");
    const char* part = Attribute(a, "part");
    if (!brand || !part) return Fail(r, "a <Template> without brand or part");
    p.brand = brand;
    p.part = part;
    p.t.name = p.brand + " " + p.part;
    const char* description = Attribute(a, "_description") ? Attribute(a, "_description") : Attribute(a, "description");
    p.t.description = description ? description : "";
    if (const char* equiv = Attribute(a, "equiv")) p.equiv = equiv;
    const char* size = Attribute(a, "size");
    if (size && !PageNamed(size, p.t.pageWidth, p.t.pageHeight) &&
        !(Length(Attribute(a, "width"), p.t.pageWidth) && Length(Attribute(a, "height"), p.t.pageHeight)))
        Fail(r, p.t.name + ": the paper's size");
    r.parts.push_back(std::move(p));
    r.inTemplate = true;
}

void StartLabel(Reader& r, const std::string& shape, const XML_Char** a)
{
    Part& p = r.parts.back();
    if (p.shaped) return; // glabels itself draws only the first
    bool ok = true;
    if (shape == "Label-round" || shape == "Label-cd") {
        double radius = 0;
        ok = Length(Attribute(a, "radius"), radius);
        p.t.width = p.t.height = 2 * radius;
        p.t.round = radius;
        if (shape == "Label-cd" && Attribute(a, "width")) ok = ok && Length(Attribute(a, "width"), p.t.width);
        if (shape == "Label-cd" && Attribute(a, "height")) ok = ok && Length(Attribute(a, "height"), p.t.height);
    } else {
        ok = Length(Attribute(a, "width"), p.t.width) && Length(Attribute(a, "height"), p.t.height) &&
             Length(Attribute(a, "round"), p.t.round);
        if (shape == "Label-ellipse") p.t.round = std::min(p.t.width, p.t.height) / 2;
    }
    if (!ok || p.t.width <= 0 || p.t.height <= 0) Fail(r, p.t.name + ": the label's size");
    p.shaped = true;
    r.inLabel = true;
}

void StartLayout(Reader& r, const XML_Char** a)
{
    Part& p = r.parts.back();
    Layout l;
    if (!Count(Attribute(a, "nx"), l.nx) || !Count(Attribute(a, "ny"), l.ny) || !Length(Attribute(a, "x0"), l.x0) ||
        !Length(Attribute(a, "y0"), l.y0) || !Length(Attribute(a, "dx"), l.dx) || !Length(Attribute(a, "dy"), l.dy))
        return Fail(r, p.t.name + ": a <Layout> that is not nx ny x0 y0 dx dy");
    p.t.layouts.push_back(l);
}

void XMLCALL Start(void* data, const XML_Char* name, const XML_Char** attributes)
{
    auto& r = *static_cast<Reader*>(data);
    const std::string element = name;
    if (element == "Template") return StartTemplate(r, attributes);
    if (!r.inTemplate) return;
    if (element.rfind("Label-", 0) == 0) return StartLabel(r, element, attributes);
    if (!r.inLabel) return;
    if (element == "Layout") return StartLayout(r, attributes);
    if (element == "Markup-margin" && !Length(Attribute(attributes, "size"), r.parts.back().t.margin))
        Fail(r, r.parts.back().t.name + ": the markup margin");
}

void XMLCALL End(void* data, const XML_Char* name)
{
    auto& r = *static_cast<Reader*>(data);
    const std::string element = name;
    if (element == "Template") r.inTemplate = r.inLabel = false;
    if (element.rfind("Label-", 0) == 0) r.inLabel = false;
}

// An alias's geometry from its part of the same brand, here or known before.
bool Resolve(Part& alias, const std::vector<Part>& parts, const std::vector<Template>& known)
{
    for (const Part& p : parts)
        if (p.equiv.empty() && p.brand == alias.brand && p.part == alias.equiv) {
            const std::string name = alias.t.name;
            alias.t = p.t;
            alias.t.name = name;
            return true;
        }
    for (const Template& k : known)
        if (k.name == alias.brand + " " + alias.equiv) {
            const std::string name = alias.t.name;
            alias.t = k;
            alias.t.name = name;
            return true;
        }
    return false;
}

} // namespace

std::vector<Template> ReadGlabelsText(const std::string& xml, std::string& error, const std::vector<Template>& known)
{
    Reader reader;
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) {
        error = "out of memory";
        return {};
    }
    XML_SetUserData(parser, &reader);
    XML_SetElementHandler(parser, Start, End);
    const bool parsed = XML_Parse(parser, xml.data(), static_cast<int>(std::min<size_t>(xml.size(), INT32_MAX)), 1) ==
                        XML_STATUS_OK;
    if (!parsed)
        error = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " +
                XML_ErrorString(XML_GetErrorCode(parser));
    XML_ParserFree(parser);
    if (!parsed) return {};
    std::vector<Template> templates;
    for (Part& p : reader.parts) {
        if (!p.equiv.empty() && !Resolve(p, reader.parts, known)) continue; // its part is elsewhere
        if (p.t.layouts.empty() || p.t.width <= 0 || p.t.pageWidth <= 0) continue; // not a sheet of labels
        templates.push_back(p.t);
    }
    if (!reader.error.empty()) error = reader.error;
    return templates;
}

std::vector<Template> ReadGlabels(const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        error = "cannot read " + path;
        return {};
    }
    return ReadGlabelsText(text.str(), error);
}

std::vector<Template> InstalledTemplates()
{
    std::vector<std::filesystem::path> files;
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator(GlabelsFolder, failed))
        if (entry.path().extension() == ".xml") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<Template> all;
    for (const auto& path : files) {
        std::string error;
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        if (!(text << file.rdbuf())) continue;
        for (Template& t : ReadGlabelsText(text.str(), error, all)) all.push_back(std::move(t));
    }
    return all;
}

} // namespace lumtar::sheet
