#include "job.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iostream>

#include "picture.h"
#include "resolve.h"

namespace tool {
namespace {

// The tool records every vector picture as a metafile in hundredths of a
// millimetre: its coordinates, and the placeable header, have 16 signed bits.
constexpr int VectorLargest = 32767;

Sizing SizingFor(const Job& job, Format format)
{
    Sizing s;
    s.bySize = !job.byModule;
    s.size = job.size ? *job.size : IsRaster(format) ? Size{600, 240} : Size{5000, 2000};
    s.moduleMm = job.moduleMm;
    s.heightMm = job.heightMm;
    s.dpi = job.dpi;
    s.turned = job.turned;
    return s;
}

// A raster picture's printed size: --phys, or its pixels at --dpi.
Size PhysFor(const Job& job, Size pixels)
{
    if (job.phys) return *job.phys;
    return {static_cast<int>((int64_t{pixels.width} * 2540 + job.dpi / 2) / job.dpi),
            static_cast<int>((int64_t{pixels.height} * 2540 + job.dpi / 2) / job.dpi)};
}

} // namespace

bool BarOnStderr = false;
thread_local std::string* SaySink = nullptr;

void Say(const std::string& where, const std::string& message)
{
    if (SaySink) {
        SaySink->append("lumtar: ").append(where).append(message).append("\n");
        return;
    }
    if (BarOnStderr) std::cerr << "\n";
    BarOnStderr = false;
    std::cerr << "lumtar: " << where << message << "\n";
}

std::optional<Format> FormatFor(const std::string& path, const Job& job, const std::string& where)
{
    const auto format = job.format ? job.format : FormatOfPath(path);
    if (!format) {
        Say(where, path == "-" ? std::string("writing to standard output (-o -) needs --format")
                            : path + ": the file name must end in one of " + FormatList + " (or give --format)");
        return std::nullopt;
    }
    if (!FormatAvailable(*format)) {
        Say(where, std::string(FormatName(*format)) + " pictures come from liblumtar32.so; this lumtar writes wmf and bmp");
        return std::nullopt;
    }
    return format;
}

bool CheckJob(const Job& job, Format format, const std::string& where)
{
    if (!IsRaster(format) && (job.phys || job.dpiGiven)) {
        Say(where, "--phys and --dpi apply to BMP and PNG files; a vector picture's --size is its printed size");
        return false;
    }
    return true;
}

Drawn DrawOne(const std::string& path, const std::string& text, const Job& job, Format format, const std::string& where)
{
    const Resolved r = Resolve(text, job.types);
    if (!r.type) {
        Say(where, Quoted(text) + " fits none of the code types " + job.typesText + (r.why.empty() ? "" : "; " + r.why));
        return {ExitNoType, ""};
    }
    if (r.fallback && job.strict) {
        Say(where, Quoted(text) + " not drawn (--strict): " + r.why + "; as the types " + job.typesText + " allow it would be " +
                       TypeName(r.type));
        return {ExitNoType, ""};
    }
    if (r.fallback) Say(where, Quoted(text) + ": drawn as " + TypeName(r.type) + "; " + r.why);
    if (!r.aside.empty()) Say(where, Quoted(text) + ": " + r.aside);

    const Plan plan = PlanPicture(r, job.style, format, SizingFor(job, format));
    if (!plan.error.empty()) {
        Say(where, Quoted(text) + ": " + plan.error);
        return {ExitUsage, ""};
    }
    if (!plan.note.empty()) Say(where, plan.note);
    if (!IsRaster(format) && (plan.surface.width > VectorLargest || plan.surface.height > VectorLargest)) {
        Say(where, std::string("a ") + FormatName(format) + " picture is at most 32767x32767 hundredths of a millimetre, not " +
                       std::to_string(plan.surface.width) + "x" + std::to_string(plan.surface.height));
        return {ExitUsage, ""};
    }

    thread_local Bytes bytes; // one buffer per thread for all its pictures
    const int result = MakePicture(r, job.style, plan, format, PhysFor(job, plan.surface), bytes);
    if (result == BarErrCode) {
        Say(where, Quoted(text) + " fits none of the code types " + job.typesText);
        return {ExitNoType, ""};
    }
    if (result != BarOk) {
        Say(where, "the picture for " + path + " cannot be created (is the size too large?)");
        return {ExitGdi, ""};
    }
    if (!WriteBytes(path, bytes)) {
        const int cause = errno;
        Say(where, "cannot write " + path + (cause ? std::string(": ") + std::strerror(cause) : ""));
        return {ExitFile, ""};
    }
    std::string name = FromCp1252(BarCodeName(r.type));
    if (!r.addOn.empty()) name += " + " + FromCp1252(BarCodeName(r.addOn.size() == 5 ? BarTypEan5 : BarTypEan2));
    return {ExitOk, name};
}

} // namespace tool
