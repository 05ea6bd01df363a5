// The query parser of lumtar serve over arbitrary query strings, decoded as
// the server decodes them (cpp-httplib), in both forms: a query either
// refused with a one-line reason or accepted within the limits, and the same
// query always normalised alike.
#include <httplib.h>

#include <cstdint>
#include <string>

#include "serve_query.h"

using namespace tool;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const std::string query(reinterpret_cast<const char*>(data) + 1, size - 1);
    httplib::Params params;
    httplib::detail::parse_query_text(query, params);
    const Parsed p = data[0] & 1 ? ParseBwip(params) : ParseRender(params);
    if (p.status != 200) {
        if (p.reason.empty() || p.reason.find('\n') != std::string::npos) __builtin_trap();
        if (p.status != 400 && p.status != 413) __builtin_trap();
        return 0;
    }
    const Query& q = p.query;
    if (q.text.empty() || !ServeFormatNamed(q.format)) __builtin_trap();
    if (q.width < 0 || q.height < 0 || q.width > MaxMm * 100 || q.height > MaxMm * 100) __builtin_trap();
    if (ServeFormatNamed(q.format)->raster && 1LL * q.width * q.height > MaxPixels) __builtin_trap();
    if ((q.types & 1023) == 0 || q.types > 1023 || q.module < 0 || q.barHeight < 0) __builtin_trap();
    if (q.text.find('\0') != std::string::npos) __builtin_trap();
    if (Normalised(q) != Normalised(Parsed(p).query)) __builtin_trap();
    return 0;
}
