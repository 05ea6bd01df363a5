// The exports of lumtar32_print.h: the record checked, the text resolved, the
// picture planned and made in memory by print/picture.cpp, then handed to its
// sink, a file or the caller's buffer. Under the guard (api/guard.h), as the
// other exports.
#include <algorithm>
#include <cstring>

#include "api/guard.h"
#include "lumtar32_print.h"
#include "output/encoders.h"
#include "print/picture.h"
#include "print/style.h"

namespace {

using namespace lumtar::print;

// What the caller's info record has room for, filled from what was drawn.
void Report(BarPrintInfo* info, const BarPrintInfo& filled)
{
    if (!info || info->size < static_cast<int>(sizeof(int))) return;
    const size_t room = std::min(static_cast<size_t>(info->size), sizeof filled);
    std::memcpy(reinterpret_cast<char*>(info) + sizeof(int), reinterpret_cast<const char*>(&filled) + sizeof(int),
                room - sizeof(int));
}

// A raster picture's printed size: the one given, or its pixels at the resolution.
void PhysOf(const Request& q, const Plan& plan, Output& o)
{
    if (o.physWidth || !q.sizing.raster) return;
    o.physWidth = static_cast<int>((int64_t{plan.width} * 2540 + q.sizing.dpi / 2) / q.sizing.dpi);
    o.physHeight = static_cast<int>((int64_t{plan.height} * 2540 + q.sizing.dpi / 2) / q.sizing.dpi);
}

int Picture(int format, const char* text, const BarPrintStyle* style, BarPrintInfo& info, lumtar::Picture& out)
{
    Request q;
    info.problem = style ? CheckStyle(*style, format, q) : BarProblemSize;
    if (info.problem) return BarErrStyle;
    if (!text) return BarErrCode;
    const Resolved r = Resolve(text, q.types);
    if (r.addOnRefused) info.problem = BarProblemAddOn;
    if (!r.type) return r.addOnRefused ? BarErrStyle : BarErrCode;
    info.type = r.type;
    info.addOnType = r.addOn.empty() ? 0 : r.addOn.size() == 5 ? BarTypEan5 : BarTypEan2;
    const Plan plan = PlanPicture(r, q.style, q.sizing);
    if ((info.problem = plan.problem)) return BarErrStyle;
    PhysOf(q, plan, q.output);
    info.width = plan.width;
    info.height = plan.height;
    info.physWidth = q.sizing.raster ? q.output.physWidth : plan.width;
    info.physHeight = q.sizing.raster ? q.output.physHeight : plan.height;
    info.module = plan.module;
    info.moduleUnits = plan.moduleUnits;
    info.bwr = plan.bwr;
    return PrintPicture(q.output, r, q.style, plan, out);
}

// The picture of a text in a style, delivered into the sink.
int Deliver(const lumtar::Sink& sink, int format, const char* text, const BarPrintStyle* style, BarPrintInfo* info)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        BarPrintInfo filled{};
        lumtar::Picture picture;
        const int made = Picture(format, text, style, filled, picture);
        Report(info, filled);
        return lumtar::Deliver(made, picture, sink);
    });
}

} // namespace

extern "C" {

int LUMTAR_CALL BarPrint(const char* path, int format, const char* text, const BarPrintStyle* style,
                         BarPrintInfo* info)
{
    return Deliver(lumtar::FileSink(path), format, text, style, info);
}

int LUMTAR_CALL BarPrintToMemory(void* buffer, unsigned int size, unsigned int* needed, int format, const char* text,
                                 const BarPrintStyle* style, BarPrintInfo* info)
{
    if (needed) *needed = 0;
    return Deliver(lumtar::MemorySink(buffer, size, needed), format, text, style, info);
}

} // extern "C"
