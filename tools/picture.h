// One picture from its plan into bytes, and the bytes into a file or onto
// standard output. WMF and BMP are recorded and stored here through the
// graphics calls that <windows.h> and the library's own layer both offer, so
// lumtar and lumtar.exe write the same bytes; PNG, SVG, PDF and EPS come from
// the library's picture formats (liblumtar32.so only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layout.h"

namespace tool {

using Bytes = std::vector<uint8_t>;

// Whether this build of the tool can write the format.
bool FormatAvailable(Format format);

// BarOk, BarErrCode (the main symbol was not drawn: nothing to write) or
// BarErrGdi. phys: a raster picture's printed size in 0.01 mm.
int MakePicture(const Resolved& r, const Style& s, const Plan& plan, Format format, Size phys, Bytes& bytes);

// Into path, or onto standard output for "-": false with errno set when the
// file cannot be created or written whole.
bool WriteBytes(const std::string& path, const Bytes& bytes);

} // namespace tool
