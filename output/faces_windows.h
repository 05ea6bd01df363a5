// GDI's font mapper, as the vector formats ask it on Windows for a face.
#pragma once

#include <windows.h>

#include <string>

namespace lumtar {

// The TrueType face of the family at a height of `em` font units, selected
// into dc (null when none is made). The caller deletes it once unselected.
HFONT SelectFace(HDC dc, const std::string& family, bool bold, bool italic, LONG em);

} // namespace lumtar
