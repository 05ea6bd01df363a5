// Record layouts of the Windows Metafile Format, written and read.
#include "platform/wmf.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/bytes.h"

namespace lumtar::wmf {
namespace {

// Record functions (the format's META_* values) and their parameter words
// (-1: a layout of its own), in the order of Op.
struct Function {
    Op op;
    uint16_t code;
    int words;
};
constexpr Function Functions[] = {
    {Op::Other, 0xFFFF, -1},
    {Op::SetBkColor, 0x0201, 2},     // META_SETBKCOLOR
    {Op::SetBkMode, 0x0102, 1},      // META_SETBKMODE
    {Op::SetMapMode, 0x0103, 1},     // META_SETMAPMODE
    {Op::SetTextColor, 0x0209, 2},   // META_SETTEXTCOLOR
    {Op::SetTextAlign, 0x012E, 2},   // META_SETTEXTALIGN
    {Op::SetWindowOrg, 0x020B, 2},   // META_SETWINDOWORG
    {Op::SetWindowExt, 0x020C, 2},   // META_SETWINDOWEXT
    {Op::SetViewportOrg, 0x020D, 2}, // META_SETVIEWPORTORG
    {Op::SetViewportExt, 0x020E, 2}, // META_SETVIEWPORTEXT
    {Op::Rectangle, 0x041B, 4},      // META_RECTANGLE
    {Op::PatBlt, 0x061D, 6},         // META_PATBLT
    {Op::SelectObject, 0x012D, 1},   // META_SELECTOBJECT
    {Op::DeleteObject, 0x01F0, 1},   // META_DELETEOBJECT
    {Op::CreateBrush, 0x02FC, 4},    // META_CREATEBRUSHINDIRECT
    {Op::CreatePen, 0x02FA, 5},      // META_CREATEPENINDIRECT
    {Op::CreateFont, 0x02FB, 25},    // META_CREATEFONTINDIRECT: LOGFONT16, 5 shorts, 8 bytes, a 32-byte face
    {Op::TextOut, 0x0A32, -1},       // META_EXTTEXTOUT, as GDI records TextOutA
    {Op::Eof, 0x0000, 0},            // META_EOF
};
constexpr uint16_t PlainTextOut = 0x0521; // META_TEXTOUT: read, never written

constexpr bool InOrder()
{
    for (std::size_t i = 0; i < std::size(Functions); ++i)
        if (static_cast<std::size_t>(Functions[i].op) != i) return false;
    return true;
}
static_assert(InOrder() && std::size(Functions) == static_cast<std::size_t>(Op::Eof) + 1);

constexpr std::size_t SizeAt = 6, ObjectsAt = 10, MaxRecordAt = 12;

const Function& FunctionOf(Op op) { return Functions[static_cast<std::size_t>(op)]; }

Op OpOf(uint16_t code)
{
    for (const Function& f : Functions)
        if (f.code == code && f.op != Op::Other) return f.op;
    return code == PlainTextOut ? Op::TextOut : Op::Other;
}

// The parameters of a call of fixed layout, in storage order.
void PutFixed(uint8_t* p, const Call& c)
{
    const auto put = [&p](uint32_t v) { PutWord(p, v), p += 2; };
    const auto u = [](int v) { return static_cast<uint32_t>(v); };
    switch (c.op) {
    case Op::SetBkMode: case Op::SetMapMode: case Op::SelectObject: case Op::DeleteObject: put(c.value); break;
    case Op::SetBkColor: case Op::SetTextColor: case Op::SetTextAlign: put(c.value), put(c.value >> 16); break;
    case Op::SetWindowOrg: case Op::SetWindowExt: case Op::SetViewportOrg: case Op::SetViewportExt:
        put(u(c.args[1])), put(u(c.args[0]));
        break;
    case Op::Rectangle: put(u(c.args[3])), put(u(c.args[2])), put(u(c.args[1])), put(u(c.args[0])); break;
    case Op::PatBlt:
        put(c.value), put(c.value >> 16);
        put(u(c.args[3])), put(u(c.args[2])), put(u(c.args[1])), put(u(c.args[0]));
        break;
    case Op::CreateBrush: put(c.value), put(c.color), put(c.color >> 16), put(c.hatch); break;
    case Op::CreatePen: put(c.value), put(u(c.args[0])), put(u(c.args[1])), put(c.color), put(c.color >> 16); break;
    default: break;
    }
}

std::size_t ParamWords(const Call& c)
{
    const int words = FunctionOf(c.op).words;
    return words >= 0 ? static_cast<std::size_t>(words) : 4 + (c.count + 1) / 2;
}

// LOGFONT16's numbers and style bytes, its first 18 bytes.
void PutFontNumbers(uint8_t* p, const FontRecord& f)
{
    const int shorts[5] = {f.height, f.width, f.escapement, f.orientation, f.weight};
    for (int i = 0; i < 5; ++i) PutWord(p + 2 * i, static_cast<uint32_t>(shorts[i]));
    const uint8_t style[8] = {f.italic, f.underline, f.strikeOut, f.charSet,
                              f.outPrecision, f.clipPrecision, f.quality, f.pitchAndFamily};
    std::memcpy(p + 10, style, 8);
}

void PutFont(uint8_t* p, const FontRecord& f)
{
    PutFontNumbers(p, f);
    std::memset(p + 18, 0, 32);
    std::memcpy(p + 18, f.face, strnlen(f.face, 32));
}

// y, x, count, options 0, the characters padded to a word.
void PutText(uint8_t* p, const Call& c)
{
    PutWord(p, static_cast<uint32_t>(c.args[1]));
    PutWord(p + 2, static_cast<uint32_t>(c.args[0]));
    PutWord(p + 4, static_cast<uint32_t>(c.count));
    PutWord(p + 6, 0);
    if (c.count) std::memcpy(p + 8, c.chars, c.count);
    if (c.count % 2) p[8 + c.count] = 0;
}

int16_t Short(const uint8_t* p, std::size_t i) { return static_cast<int16_t>(GetWord(p + 2 * i)); }
uint32_t Dword(const uint8_t* p, std::size_t i) { return GetDword(p + 2 * i); }

void GetFont(const uint8_t* p, std::size_t n, FontRecord& f)
{
    f.height = Short(p, 0), f.width = Short(p, 1), f.escapement = Short(p, 2);
    f.orientation = Short(p, 3), f.weight = Short(p, 4);
    f.italic = p[10], f.underline = p[11], f.strikeOut = p[12], f.charSet = p[13];
    f.outPrecision = p[14], f.clipPrecision = p[15], f.quality = p[16], f.pitchAndFamily = p[17];
    std::memcpy(f.face, p + 18, std::min<std::size_t>(2 * n - 18, 32));
}

// Where a text record holds its reference point: the word of y, x follows.
std::size_t TextPointAt(uint16_t code, const uint8_t* p)
{
    return code == PlainTextOut ? 1 + (GetWord(p) + std::size_t{1}) / 2 : 0;
}

// TextOut as META_TEXTOUT (count, characters, y, x) or META_EXTTEXTOUT (y, x,
// count, options, a rectangle with ETO_OPAQUE or ETO_CLIPPED, characters).
bool GetText(uint16_t code, const uint8_t* p, std::size_t n, Call& c)
{
    if (code == PlainTextOut) {
        if (n < 1) return false;
        const std::size_t count = GetWord(p), after = TextPointAt(code, p);
        if (n < after + 2) return false;
        c.args[0] = Short(p, after + 1), c.args[1] = Short(p, after);
        c.chars = reinterpret_cast<const char*>(p + 2), c.count = count;
        return true;
    }
    if (n < 4) return false;
    const std::size_t count = GetWord(p + 4);
    const std::size_t first = (GetWord(p + 6) & 0x0006) ? 16 : 8;
    if (first + count > 2 * n) return false;
    c.args[0] = Short(p, 1), c.args[1] = Short(p, 0);
    c.chars = reinterpret_cast<const char*>(p + first), c.count = count;
    return true;
}

// The parameters read back into the call; false when there are too few.
bool GetParams(uint16_t code, const uint8_t* p, std::size_t n, Call& c)
{
    switch (c.op) {
    case Op::SetBkMode: case Op::SetMapMode: case Op::SelectObject: case Op::DeleteObject:
        c.value = c.op == Op::SetBkMode || c.op == Op::SetMapMode ? static_cast<uint32_t>(Short(p, 0)) : GetWord(p);
        return n >= 1;
    case Op::SetBkColor: case Op::SetTextColor: c.value = n >= 2 ? Dword(p, 0) : 0; return n >= 2;
    case Op::SetTextAlign: c.value = n >= 1 ? GetWord(p) : 0; return n >= 1;
    case Op::SetWindowOrg: case Op::SetWindowExt: case Op::SetViewportOrg: case Op::SetViewportExt:
        if (n < 2) return false;
        c.args[0] = Short(p, 1), c.args[1] = Short(p, 0);
        return true;
    case Op::Rectangle:
        if (n < 4) return false;
        c.args[0] = Short(p, 3), c.args[1] = Short(p, 2), c.args[2] = Short(p, 1), c.args[3] = Short(p, 0);
        return true;
    case Op::PatBlt:
        if (n < 6) return false;
        c.args[0] = Short(p, 5), c.args[1] = Short(p, 4), c.args[2] = Short(p, 3), c.args[3] = Short(p, 2);
        c.value = Dword(p, 0);
        return true;
    case Op::CreateBrush:
        if (n < 4) return false;
        c.value = GetWord(p), c.color = Dword(p, 1), c.hatch = GetWord(p + 6);
        return true;
    case Op::CreatePen:
        if (n < 5) return false;
        c.value = GetWord(p), c.args[0] = Short(p, 1), c.args[1] = Short(p, 2), c.color = Dword(p, 3);
        return true;
    case Op::CreateFont:
        if (n < 9) return false;
        GetFont(p, n, c.font);
        return true;
    case Op::TextOut: return GetText(code, p, n, c);
    default: return false;
    }
}

} // namespace

void PutHeader(uint8_t* at, uint32_t sizeWords, uint16_t objects, uint32_t maxRecordWords)
{
    // Type 1 (memory), a header of 9 words, version 0x0300, then the size in
    // words, the object count, the largest record in words and no parameters.
    PutWord(at, 1), PutWord(at + 2, 9), PutWord(at + 4, 0x0300);
    PutDword(at + SizeAt, sizeWords);
    PutWord(at + ObjectsAt, objects);
    PutDword(at + MaxRecordAt, maxRecordWords);
    PutWord(at + 16, 0);
}

bool IsHeader(const uint8_t* bits, std::size_t size)
{
    return bits && size >= HeaderBytes && GetWord(bits) == 1 && GetWord(bits + 2) == 9 && GetWord(bits + 4) == 0x0300;
}

std::size_t HeaderWords(const uint8_t* bits) { return GetWord(bits + 2); }
uint16_t ObjectCount(const uint8_t* bits) { return GetWord(bits + ObjectsAt); }
void SetSizeWords(uint8_t* bits, uint32_t sizeWords) { PutDword(bits + SizeAt, sizeWords); }
void SetMaxRecordWords(uint8_t* bits, uint32_t maxRecordWords) { PutDword(bits + MaxRecordAt, maxRecordWords); }

std::size_t RecordBytes(const Call& call)
{
    if (call.op == Op::Other || call.op > Op::Eof || (call.op == Op::TextOut && call.count > 0x7FFF)) return 0;
    return 6 + 2 * ParamWords(call);
}

// The size comes from RecordBytes, not worked out a second time: BarToWmf
// 27.7 k -> 27.2 k instructions.
void PutRecord(uint8_t* at, const Call& call, std::size_t bytes)
{
    PutDword(at, static_cast<uint32_t>(bytes / 2));
    PutWord(at + 4, FunctionOf(call.op).code);
    uint8_t* p = at + 6;
    if (call.op == Op::CreateFont)
        PutFont(p, call.font);
    else if (call.op == Op::TextOut)
        PutText(p, call);
    else
        PutFixed(p, call);
}

bool GetRecord(const uint8_t* bits, std::size_t size, std::size_t at, Call& call, std::size_t& words)
{
    words = RecordWords(bits, size, at);
    if (words == 0 || GetWord(bits + at + 4) == 0) return false;
    call = CallOf(bits + at, words);
    return true;
}

std::size_t RecordWords(const uint8_t* bits, std::size_t size, std::size_t at)
{
    if (at + 6 > size) return 0;
    const std::size_t words = GetDword(bits + at);
    return words < 3 || words > (size - at) / 2 ? 0 : words;
}

Call CallOf(const uint8_t* record, std::size_t words)
{
    const uint16_t code = GetWord(record + 4);
    Call call;
    call.op = OpOf(code);
    if (!GetParams(code, record + 6, words - 3, call)) call.op = Op::Other;
    return call;
}

bool SetCall(uint8_t* record, std::size_t words, const Call& call)
{
    if (call.op == Op::Other || CallOf(record, words).op != call.op) return false; // long enough for what it is read as
    const uint16_t code = GetWord(record + 4);
    uint8_t* p = record + 6;
    if (call.op == Op::CreateFont) {
        PutFontNumbers(p, call.font);
    } else if (call.op == Op::TextOut) {
        const std::size_t at = TextPointAt(code, p);
        PutWord(p + 2 * at, static_cast<uint32_t>(call.args[1]));
        PutWord(p + 2 * at + 2, static_cast<uint32_t>(call.args[0]));
    } else if (ParamWords(call) <= words - 3) {
        PutFixed(p, call);
    } else {
        return false;
    }
    return true;
}

} // namespace lumtar::wmf
