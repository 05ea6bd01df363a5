// The exports of lumtar32_print.h: the record checked, the text resolved, the
// picture planned and made in memory, then stored into a file or the
// caller's buffer. Under the guard (api/guard.h), as the other exports.
#include <algorithm>
#include <cstring>

#include "api/guard.h"
#include "lumtar32_print.h"
#include "output/files.h"
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

int Picture(int format, const char* text, const BarPrintStyle* style, BarPrintInfo& info, Bytes& out)
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

} // namespace

extern "C" {

int LUMTAR_CALL BarPrint(const char* path, int format, const char* text, const BarPrintStyle* style,
                         BarPrintInfo* info)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        BarPrintInfo filled{};
        Bytes picture;
        int result = Picture(format, text, style, filled, picture);
        Report(info, filled);
        if (result != BarOk) return result;
        if (!path) return BarErrFile;
        const HFILE file = _lcreat(path, 0);
        if (file == HFILE_ERROR) return BarErrFile;
        const UINT size = static_cast<UINT>(picture.size());
        result = _lwrite(file, reinterpret_cast<const char*>(picture.data()), size) == size ? BarOk : BarErrFile;
        _lclose(file);
        return result;
    });
}

int LUMTAR_CALL BarPrintToMemory(void* buffer, unsigned int size, unsigned int* needed, int format, const char* text,
                                 const BarPrintStyle* style, BarPrintInfo* info)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        if (needed) *needed = 0;
        BarPrintInfo filled{};
        Bytes picture;
        const int result = Picture(format, text, style, filled, picture);
        Report(info, filled);
        if (result != BarOk) return result;
        const auto length = static_cast<unsigned int>(picture.size());
        if (needed) *needed = length;
        if (!buffer) return BarOk; // the size query
        if (size < length) return BarErrFile;
        std::memcpy(buffer, picture.data(), length);
        return BarOk;
    });
}

} // extern "C"
