// lumtar serve: a parsed query drawn into the bytes of one answer, and the
// list of types the server draws.
#pragma once

#include <string>

#include "serve_query.h"

namespace tool {

struct Answer {
    int status = 200;         // 200, or 400/413/500 with reason
    std::string reason;       // one line of plain text
    std::string body;         // the picture
    const char* contentType = "text/plain; charset=utf-8";
    std::string typeDrawn;    // "ean13", "ean13+ean5", ...
};

// Draws q into a.body (a is reused from request to request: its buffers keep
// their room).
void DrawQuery(const Query& q, Answer& a);

// JSON: every type's name, flag, display name and the text it takes.
std::string TypesJson();

} // namespace tool
