// The printed picture's bytes: drawn into the pipeline's surfaces (a metafile
// for WMF, SVG, PDF, EPS and EMF, a monochrome bitmap for BMP, PNG and TIFF)
// as BarToWmf and BarToBmp draw, with the record's edits, then encoded with
// its colours.
#pragma once

#include "output/encoders.h"
#include "print/layout.h"
#include "print/records.h"
#include "print/style.h"

namespace lumtar::print {

// BarOk, BarErrCode (nothing drawn) or BarErrGdi.
int PrintPicture(const Output& o, const Resolved& r, const Style& s, const Plan& plan, Picture& out);

} // namespace lumtar::print
