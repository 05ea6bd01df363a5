// The printed picture's bytes: drawn onto a metafile (WMF, SVG, PDF, EPS) or
// a monochrome bitmap (BMP, PNG) as BarToWmf and BarToBmp draw, then the
// record's edits, colours and the format's headers.
#pragma once

#include "print/layout.h"
#include "print/records.h"
#include "print/style.h"

namespace lumtar::print {

// BarOk, BarErrCode (nothing drawn) or BarErrGdi.
int PrintPicture(const Output& o, const Resolved& r, const Style& s, const Plan& plan, Bytes& out);

} // namespace lumtar::print
