#include "support/wmf.h"

#include <cstdio>
#include <sstream>

namespace wmf {
namespace {

uint16_t Word(const std::vector<uint8_t>& b, std::size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t Dword(const std::vector<uint8_t>& b, std::size_t at) { return Word(b, at) | static_cast<uint32_t>(Word(b, at + 2)) << 16; }

const char* Name(uint16_t function)
{
    switch (function) {
    case Meta_EOF: return "EOF";
    case Meta_SETBKMODE: return "SETBKMODE";
    case Meta_SETMAPMODE: return "SETMAPMODE";
    case Meta_SETTEXTALIGN: return "SETTEXTALIGN";
    case Meta_SELECTOBJECT: return "SELECTOBJECT";
    case Meta_DELETEOBJECT: return "DELETEOBJECT";
    case Meta_SETTEXTCOLOR: return "SETTEXTCOLOR";
    case Meta_SETBKCOLOR: return "SETBKCOLOR";
    case Meta_SETWINDOWORG: return "SETWINDOWORG";
    case Meta_SETWINDOWEXT: return "SETWINDOWEXT";
    case Meta_SETVIEWPORTORG: return "SETVIEWPORTORG";
    case Meta_SETVIEWPORTEXT: return "SETVIEWPORTEXT";
    case Meta_PATBLT: return "PATBLT";
    case Meta_CREATEPENINDIRECT: return "CREATEPENINDIRECT";
    case Meta_CREATEFONTINDIRECT: return "CREATEFONTINDIRECT";
    case Meta_CREATEBRUSHINDIRECT: return "CREATEBRUSHINDIRECT";
    case Meta_RECTANGLE: return "RECTANGLE";
    case Meta_TEXTOUT: return "TEXTOUT";
    case Meta_EXTTEXTOUT: return "EXTTEXTOUT";
    default: return nullptr;
    }
}

std::string Bytes(const Record& r)
{
    std::string s;
    std::vector<uint8_t> raw;
    char buf[8];
    auto put = [&](uint8_t b) { std::snprintf(buf, sizeof buf, "0x%02X,", b); s += buf; };
    for (int i = 0; i < 4; ++i) put(static_cast<uint8_t>(r.size >> (8 * i)));
    put(static_cast<uint8_t>(r.function));
    put(static_cast<uint8_t>(r.function >> 8));
    for (auto p : r.params) {
        put(static_cast<uint8_t>(p));
        put(static_cast<uint8_t>(p >> 8));
    }
    return s;
}

// Text for comments and messages: bytes outside printable ASCII as \xNN, so a
// code page 1252 character stays readable and the source stays ASCII.
std::string Printable(const std::string& text)
{
    std::string s;
    char buf[8];
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            s += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            s += buf;
        }
    }
    return s;
}

// Readable parameters of the records whose words are not plain numbers in
// reversed order: colours, object-table indices, points and the PATBLT fields.
bool Detail(std::ostringstream& s, const Record& r)
{
    const auto& p = r.params;
    char buf[64];
    auto dword = [&](std::size_t i) { return p.at(i) | static_cast<uint32_t>(p.at(i + 1)) << 16; };
    switch (r.function) {
    case Meta_SETTEXTCOLOR:
    case Meta_SETBKCOLOR:
        if (p.size() < 2) return false;
        std::snprintf(buf, sizeof buf, " 0x%06X", static_cast<unsigned>(dword(0)));
        break;
    case Meta_SETTEXTALIGN:
        if (p.size() < 2) return false;
        std::snprintf(buf, sizeof buf, " %u", static_cast<unsigned>(dword(0)));
        break;
    case Meta_SELECTOBJECT:
    case Meta_DELETEOBJECT:
        if (p.size() < 1) return false;
        std::snprintf(buf, sizeof buf, " index %u", p[0]);
        break;
    case Meta_SETWINDOWORG:
    case Meta_SETWINDOWEXT:
    case Meta_SETVIEWPORTORG:
    case Meta_SETVIEWPORTEXT:
        if (p.size() < 2) return false;
        std::snprintf(buf, sizeof buf, " %d %d", static_cast<int16_t>(p[1]), static_cast<int16_t>(p[0]));
        break;
    case Meta_CREATEBRUSHINDIRECT:
        if (p.size() < 4) return false;
        std::snprintf(buf, sizeof buf, " style %u color 0x%06X hatch %u", p[0], static_cast<unsigned>(dword(1)), p[3]);
        break;
    case Meta_CREATEPENINDIRECT:
        if (p.size() < 5) return false;
        std::snprintf(buf, sizeof buf, " style %u width %d,%d color 0x%06X", p[0], static_cast<int16_t>(p[1]),
                      static_cast<int16_t>(p[2]), static_cast<unsigned>(dword(3)));
        break;
    case Meta_PATBLT:
        if (p.size() < 6) return false;
        std::snprintf(buf, sizeof buf, " %d %d %d %d rop 0x%06X", static_cast<int16_t>(p[5]), static_cast<int16_t>(p[4]),
                      static_cast<int16_t>(p[3]), static_cast<int16_t>(p[2]), static_cast<unsigned>(dword(0)));
        break;
    default: return false;
    }
    s << buf;
    return true;
}

} // namespace

Metafile Parse(const std::vector<uint8_t>& bytes)
{
    Metafile m;
    m.bytes = bytes;
    if (bytes.size() < 18) {
        m.error = "shorter than the 18-byte header";
        return m;
    }
    m.type = Word(bytes, 0);
    m.headerSize = Word(bytes, 2);
    m.version = Word(bytes, 4);
    m.sizeWords = Dword(bytes, 6);
    m.objects = Word(bytes, 10);
    m.maxRecord = Dword(bytes, 12);
    m.parameters = Word(bytes, 16);
    std::size_t at = 18;
    while (at + 6 <= bytes.size()) {
        Record r;
        r.size = Dword(bytes, at);
        r.function = Word(bytes, at + 4);
        if (r.size < 3 || at + 2 * std::size_t(r.size) > bytes.size()) {
            m.error = "record at byte " + std::to_string(at) + " runs past the end";
            return m;
        }
        for (std::size_t i = 0; i < r.size - 3; ++i) r.params.push_back(Word(bytes, at + 6 + 2 * i));
        at += 2 * std::size_t(r.size);
        m.records.push_back(r);
        if (r.function == Meta_EOF) break;
    }
    if (m.records.empty() || m.records.back().function != Meta_EOF) m.error = "no EOF record";
    return m;
}

std::vector<uint8_t> Bits(HMETAFILE metafile)
{
    const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
    std::vector<uint8_t> bytes(size);
    if (size) GetMetaFileBitsEx(metafile, size, bytes.data());
    return bytes;
}

Metafile CloseAndParse(HDC recording)
{
    HMETAFILE mf = CloseMetaFile(recording);
    auto bytes = Bits(mf);
    DeleteMetaFile(mf);
    return Parse(bytes);
}

bool IsRectangle(const Record& r) { return r.function == Meta_RECTANGLE && r.params.size() >= 4; }

Rect AsRectangle(const Record& r) { return {r.p(3), r.p(2), r.p(1), r.p(0)}; }

bool IsText(const Record& r) { return r.function == Meta_TEXTOUT || r.function == Meta_EXTTEXTOUT; }

Text AsText(const Record& r)
{
    auto charAt = [&](std::size_t byteIndex, std::size_t firstWord) {
        const uint16_t w = r.params.at(firstWord + byteIndex / 2);
        return static_cast<char>(byteIndex % 2 ? w >> 8 : w & 0xFF);
    };
    Text t{};
    std::string chars;
    if (r.function == Meta_TEXTOUT) {
        // count, string (padded to words), y, x
        const std::size_t count = r.params.at(0);
        for (std::size_t i = 0; i < count; ++i) chars += charAt(i, 1);
        const std::size_t after = 1 + (count + 1) / 2;
        t.y = r.p(after);
        t.x = r.p(after + 1);
    } else {
        // y, x, count, options, [rectangle of 4 words when options ask for it], string, [dx]
        t.y = r.p(0);
        t.x = r.p(1);
        const std::size_t count = r.params.at(2);
        const uint16_t options = r.params.at(3);
        const std::size_t first = (options & 0x0006) ? 8 : 4; // ETO_OPAQUE | ETO_CLIPPED carry a rectangle
        for (std::size_t i = 0; i < count; ++i) chars += charAt(i, first);
    }
    t.chars = chars;
    return t;
}

Font AsFont(const Record& r)
{
    Font f{};
    f.height = r.p(0);
    f.width = r.p(1);
    f.escapement = r.p(2);
    f.orientation = r.p(3);
    f.weight = r.p(4);
    auto byteAt = [&](std::size_t i) { return static_cast<int>((r.params.at(5 + i / 2) >> (8 * (i % 2))) & 0xFF); };
    f.italic = byteAt(0);
    f.underline = byteAt(1);
    f.strikeOut = byteAt(2);
    f.charSet = byteAt(3);
    f.outPrecision = byteAt(4);
    f.clipPrecision = byteAt(5);
    f.quality = byteAt(6);
    f.pitchAndFamily = byteAt(7);
    for (std::size_t i = 8; 5 + i / 2 < r.params.size(); ++i) {
        const int c = byteAt(i);
        if (!c) break;
        f.face += static_cast<char>(c);
    }
    return f;
}

std::vector<Rect> Rectangles(const Metafile& m)
{
    std::vector<Rect> out;
    for (const auto& r : m.records)
        if (IsRectangle(r)) out.push_back(AsRectangle(r));
    return out;
}

std::vector<Text> Texts(const Metafile& m)
{
    std::vector<Text> out;
    for (const auto& r : m.records)
        if (IsText(r)) out.push_back(AsText(r));
    return out;
}

std::vector<unsigned> TextAligns(const Metafile& m)
{
    std::vector<unsigned> out;
    for (const auto& r : m.records)
        if (r.function == Meta_SETTEXTALIGN && !r.params.empty()) out.push_back(r.params[0]);
    return out;
}

std::string Describe(const Record& r)
{
    std::ostringstream s;
    const char* name = Name(r.function);
    if (name)
        s << name;
    else
        s << "0x" << std::hex << r.function << std::dec;
    if (IsRectangle(r)) {
        const Rect x = AsRectangle(r);
        s << ' ' << x.left << ' ' << x.top << ' ' << x.right << ' ' << x.bottom;
    } else if (IsText(r)) {
        const Text t = AsText(r);
        s << ' ' << t.x << ' ' << t.y << " \"" << Printable(t.chars) << '"';
    } else if (r.function == Meta_CREATEFONTINDIRECT) {
        const Font f = AsFont(r);
        s << " height " << f.height << " escapement " << f.escapement << " weight " << f.weight << " \"" << Printable(f.face) << '"';
    } else if (!Detail(s, r)) {
        for (auto p : r.params) s << ' ' << static_cast<int16_t>(p);
    }
    return s.str();
}

std::string Describe(const Metafile& m)
{
    std::ostringstream s;
    s << "header type " << m.type << " size " << m.sizeWords << " objects " << m.objects << " maxRecord " << m.maxRecord << '\n';
    for (const auto& r : m.records) s << Describe(r) << '\n';
    if (!m.error.empty()) s << "error: " << m.error << '\n';
    return s.str();
}

std::string AsInitializer(const Metafile& m)
{
    std::string s;
    char buf[8];
    s += "    ";
    for (std::size_t i = 0; i < 18 && i < m.bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "0x%02X,", m.bytes[i]);
        s += buf;
    }
    s += " // header\n";
    for (const auto& r : m.records) s += "    " + Bytes(r) + " // " + Describe(r) + "\n";
    return s;
}

} // namespace wmf
