// Record functions of the Windows Metafile Format: the ones the native layer
// writes and plays, and the scene reader reads. wingdi.h has them as macros,
// so this header is for the native build only.
#pragma once

#include <cstdint>

namespace lumtar {

constexpr uint16_t META_EOF = 0x0000;
constexpr uint16_t META_SELECTOBJECT = 0x012D;
constexpr uint16_t META_DELETEOBJECT = 0x01F0;
constexpr uint16_t META_CREATEPENINDIRECT = 0x02FA;
constexpr uint16_t META_CREATEFONTINDIRECT = 0x02FB;
constexpr uint16_t META_CREATEBRUSHINDIRECT = 0x02FC;
constexpr uint16_t META_EXTTEXTOUT = 0x0A32;
constexpr uint16_t META_TEXTOUT = 0x0521;
constexpr uint16_t META_SETBKCOLOR = 0x0201;
constexpr uint16_t META_SETBKMODE = 0x0102;
constexpr uint16_t META_SETMAPMODE = 0x0103;
constexpr uint16_t META_SETTEXTCOLOR = 0x0209;
constexpr uint16_t META_SETTEXTALIGN = 0x012E;
constexpr uint16_t META_SETWINDOWORG = 0x020B;
constexpr uint16_t META_SETWINDOWEXT = 0x020C;
constexpr uint16_t META_SETVIEWPORTORG = 0x020D;
constexpr uint16_t META_SETVIEWPORTEXT = 0x020E;
constexpr uint16_t META_RECTANGLE = 0x041B;
constexpr uint16_t META_PATBLT = 0x061D;

} // namespace lumtar
