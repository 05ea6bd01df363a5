// Reading what a device context received: the bytes of a memory metafile,
// split into its header and records, with helpers for the records the library
// writes. Works the same on the native layer and on real GDI.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lumtar32_gdi.h"

namespace wmf {

// Record functions of the Windows Metafile Format.
enum Function : uint16_t {
    Meta_EOF = 0x0000,
    Meta_SETBKMODE = 0x0102,
    Meta_SETMAPMODE = 0x0103,
    Meta_SETTEXTALIGN = 0x012E,
    Meta_SELECTOBJECT = 0x012D,
    Meta_DELETEOBJECT = 0x01F0,
    Meta_SETTEXTCOLOR = 0x0209,
    Meta_SETBKCOLOR = 0x0201,
    Meta_SETWINDOWORG = 0x020B,
    Meta_SETWINDOWEXT = 0x020C,
    Meta_SETVIEWPORTORG = 0x020D,
    Meta_SETVIEWPORTEXT = 0x020E,
    Meta_PATBLT = 0x061D,
    Meta_CREATEPENINDIRECT = 0x02FA,
    Meta_CREATEFONTINDIRECT = 0x02FB,
    Meta_CREATEBRUSHINDIRECT = 0x02FC,
    Meta_RECTANGLE = 0x041B,
    Meta_TEXTOUT = 0x0521,
    Meta_EXTTEXTOUT = 0x0A32,
};

struct Record {
    uint32_t size;                // in 16-bit words, the 6-byte head included
    uint16_t function;
    std::vector<uint16_t> params; // as stored: GDI's argument order reversed
    int16_t p(std::size_t i) const { return static_cast<int16_t>(params.at(i)); }
};

struct Metafile {
    // META_HEADER
    uint16_t type = 0, headerSize = 0, version = 0;
    uint32_t sizeWords = 0;
    uint16_t objects = 0;
    uint32_t maxRecord = 0;
    uint16_t parameters = 0;
    std::vector<Record> records; // the closing EOF record included
    std::vector<uint8_t> bytes;  // everything, as GetMetaFileBitsEx returned it
    std::string error;           // non-empty when the bytes do not parse
};

Metafile Parse(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> Bits(HMETAFILE metafile);
// Closes the recording DC, takes the bits, deletes the metafile and parses it.
Metafile CloseAndParse(HDC recording);

// Drawing operations read back in GDI's own argument order.
struct Rect {
    int left, top, right, bottom;
    bool operator==(const Rect&) const = default;
};
struct Text {
    int x, y;
    std::string chars;
    bool operator==(const Text&) const = default;
};
struct Font {
    int height, width, escapement, orientation, weight;
    int italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily;
    std::string face;
};

bool IsRectangle(const Record& r);
Rect AsRectangle(const Record& r);
bool IsText(const Record& r); // META_TEXTOUT or META_EXTTEXTOUT
Text AsText(const Record& r);
Font AsFont(const Record& r);  // META_CREATEFONTINDIRECT

std::vector<Rect> Rectangles(const Metafile& m);
std::vector<Text> Texts(const Metafile& m);
std::vector<unsigned> TextAligns(const Metafile& m); // the values of every META_SETTEXTALIGN in order

// One line per record ("RECTANGLE 0 10 20 30" in GDI order), for failure messages and goldens.
std::string Describe(const Record& r);
std::string Describe(const Metafile& m);
// The bytes as a C initialiser, one record per line with its description as a comment.
std::string AsInitializer(const Metafile& m);

} // namespace wmf
