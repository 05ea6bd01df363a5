// The Windows Metafile Format's records: the one place where their layouts
// are written and read. The recorder behind metafile DCs encodes its calls
// here, and the two readers decode them here: playback onto a DC
// (PlayMetaFile) and the scene reader of the vector formats.
//
// A call is given in GDI's terms (its arguments in GDI's order); a record
// stores its parameters in the reverse order, each in 16 bits, a 32-bit one
// as its high word and then its low word.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumtar::wmf {

// The calls a record can hold that this library writes or reads.
enum class Op : uint8_t {
    Other, // a record this library neither writes nor reads
    SetBkColor, SetBkMode, SetMapMode, SetTextColor, SetTextAlign,
    SetWindowOrg, SetWindowExt, SetViewportOrg, SetViewportExt,
    Rectangle, PatBlt, SelectObject, DeleteObject,
    CreateBrush, CreatePen, CreateFont, TextOut, Eof,
};

// LOGFONT16: five 16-bit fields, eight style bytes, a face of up to 32 bytes.
struct FontRecord {
    int height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
    uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0;
    uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = 0;
    char face[33] = {}; // zero-terminated
};

// One call. `args` are the integer arguments in GDI's order: x and y; left,
// top, right and bottom; x, y, width and height; a pen's width x and y.
struct Call {
    Op op = Op::Other;
    int args[4] = {};
    uint32_t value = 0; // colour, mode, alignment, raster operation, object index, style
    uint32_t color = 0; // a brush's or pen's colour
    uint32_t hatch = 0;
    FontRecord font;
    const char* chars = nullptr; // TextOut: in the record's own bytes
    std::size_t count = 0;
};

// The metafile header: 18 bytes, memory type, version 0x0300.
constexpr std::size_t HeaderBytes = 18;
void PutHeader(uint8_t* at, uint32_t sizeWords, uint16_t objects, uint32_t maxRecordWords);
bool IsHeader(const uint8_t* bits, std::size_t size); // type, header size and version as written
std::size_t HeaderWords(const uint8_t* bits);          // where the records start, in words
uint16_t ObjectCount(const uint8_t* bits);
void SetSizeWords(uint8_t* bits, uint32_t sizeWords);
void SetMaxRecordWords(uint8_t* bits, uint32_t maxRecordWords);

// Encoding: the record's size in bytes, 0 for a call no record holds or
// text of more than 0x7FFF characters; then the record itself, of that size,
// at `at`.
std::size_t RecordBytes(const Call& call);
void PutRecord(uint8_t* at, const Call& call, std::size_t bytes);

// Decoding the record at `at` of the `size` bytes: false at the end of the
// records (the EOF record, or one that does not fit). `words` is the
// record's size; a record too short for its call, or of a function this
// library does not read, comes back as Op::Other.
bool GetRecord(const uint8_t* bits, std::size_t size, std::size_t at, Call& call, std::size_t& words);

// The same in two steps, for a reader that keeps every record, the EOF
// record and those it does not read included: the size in words of the
// record at `at`, 0 when it does not fit (fewer than 3 words, or past the
// end of the `size` bytes); then the call in that record of `words` words.
std::size_t RecordWords(const uint8_t* bits, std::size_t size, std::size_t at);
Call CallOf(const uint8_t* record, std::size_t words);

// Editing in place: the call, as CallOf read it and then changed, written
// back into its record of `words` words. The bytes no field of the call
// stands for stay as they are: a text's characters, options and clipping
// rectangle, a font's face. False, and nothing written, for Op::Other or a
// record too short for the call.
bool SetCall(uint8_t* record, std::size_t words, const Call& call);

} // namespace lumtar::wmf
