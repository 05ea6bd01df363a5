#include "print/records.h"

#include <algorithm>
#include <cstring>

namespace lumtar::print {
namespace {

// Record functions of the Windows Metafile Format.
constexpr uint16_t RecRectangle = 0x041B, RecPatBlt = 0x061D, RecTextOut = 0x0521, RecExtTextOut = 0x0A32,
                   RecCreateFont = 0x02FB, RecCreateBrush = 0x02FC, RecCreatePen = 0x02FA;
constexpr size_t HeaderBytes = 18;

int16_t Word(const uint8_t* p, int i) { return static_cast<int16_t>(p[2 * i] | p[2 * i + 1] << 8); }
void SetWord(uint8_t* p, int i, int value)
{
    p[2 * i] = static_cast<uint8_t>(value);
    p[2 * i + 1] = static_cast<uint8_t>(value >> 8);
}
uint32_t Dword(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }
void SetDword(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void Recolor(uint8_t* color, const Edit& e)
{
    const uint32_t c = Dword(color) & 0xFFFFFF;
    if (c == 0) SetDword(color, e.ink);
    else if (c == 0xFFFFFF) SetDword(color, e.paper);
}

// A rectangle's parameters: bottom, right, top, left.
struct Box {
    int left, top, right, bottom;
};
Box BoxOf(const uint8_t* p) { return {Word(p, 3), Word(p, 2), Word(p, 1), Word(p, 0)}; }
void SetBox(uint8_t* p, const Box& b)
{
    SetWord(p, 3, b.left);
    SetWord(p, 2, b.top);
    SetWord(p, 1, b.right);
    SetWord(p, 0, b.bottom);
}

// Whether b continues a (the next module of the same bar).
bool Continues(const Box& a, const Box& b, bool across)
{
    if (!across) return a.top == b.top && a.bottom == b.bottom && a.right == b.left;
    return a.left == b.left && a.right == b.right && (a.top == b.bottom || a.bottom == b.top);
}

void Narrow(Box& b, const Edit& e)
{
    int& low = e.across ? b.top : b.left;
    int& high = e.across ? b.bottom : b.right;
    low += e.bwr / 2;
    high -= e.bwr - e.bwr / 2;
}

void Flip(uint8_t* p, uint16_t function, int words, const Edit& e)
{
    const int w = e.width, h = e.height;
    if (function == RecRectangle && words >= 4) {
        const Box b = BoxOf(p);
        SetBox(p, {w - b.right, h - b.bottom, w - b.left, h - b.top});
    } else if (function == RecPatBlt && words >= 6) { // rop, height, width, y, x
        SetWord(p, 5, w - Word(p, 5) - Word(p, 3));
        SetWord(p, 4, h - Word(p, 4) - Word(p, 2));
    } else if (function == RecTextOut && words >= 1) { // count, characters, y, x
        const int at = 1 + (Word(p, 0) + 1) / 2;
        if (at + 1 < words) {
            SetWord(p, at, h - Word(p, at));
            SetWord(p, at + 1, w - Word(p, at + 1));
        }
    } else if (function == RecExtTextOut && words >= 2) { // y, x, ...
        SetWord(p, 0, h - Word(p, 0));
        SetWord(p, 1, w - Word(p, 1));
    } else if (function == RecCreateFont && words >= 4) { // escapement, orientation
        SetWord(p, 2, (Word(p, 2) + 1800) % 3600);
        SetWord(p, 3, (Word(p, 3) + 1800) % 3600);
    }
}

} // namespace

bool EditRecords(const Bytes& bits, const Edit& e, Bytes& out)
{
    if (bits.size() < HeaderBytes) return false;
    out.assign(bits.begin(), bits.begin() + HeaderBytes);
    uint32_t largest = 0;
    size_t pendingBar = 0; // where the last rectangle record begins in out, 0: none before this record
    for (size_t at = HeaderBytes; at + 6 <= bits.size();) {
        const uint32_t words = Dword(&bits[at]);
        if (words < 3 || at + 2 * size_t{words} > bits.size()) return false;
        const uint16_t function = static_cast<uint16_t>(bits[at + 4] | bits[at + 5] << 8);
        Bytes record(bits.begin() + at, bits.begin() + at + 2 * words);
        at += 2 * words;
        uint8_t* p = record.data() + 6;
        const int params = static_cast<int>(words) - 3;
        if (function == RecRectangle && params >= 4 && e.bwr) {
            // One bar drawn as touching rectangles (a module each) is narrowed once.
            if (pendingBar) {
                uint8_t* last = out.data() + pendingBar + 6;
                Box a = BoxOf(last);
                const Box b = BoxOf(p);
                if (Continues(a, b, e.across)) {
                    a = {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                         std::max(a.bottom, b.bottom)};
                    SetBox(last, a);
                    continue;
                }
            }
            pendingBar = out.size();
        } else if (function != RecRectangle) {
            pendingBar = 0;
        }
        if (e.recolor && (function == RecCreateBrush && params >= 3)) Recolor(p + 2, e);
        if (e.recolor && (function == RecCreatePen && params >= 5)) Recolor(p + 6, e);
        largest = std::max(largest, words);
        out.insert(out.end(), record.begin(), record.end());
    }
    // Narrow each bar, then turn; the header's size and largest record follow the records kept.
    for (size_t at = HeaderBytes; at + 6 <= out.size();) {
        const uint32_t words = Dword(&out[at]);
        const uint16_t function = static_cast<uint16_t>(out[at + 4] | out[at + 5] << 8);
        uint8_t* p = out.data() + at + 6;
        if (function == RecRectangle && words >= 7 && e.bwr) {
            Box b = BoxOf(p);
            Narrow(b, e);
            SetBox(p, b);
        }
        if (e.flip) Flip(p, function, static_cast<int>(words) - 3, e);
        at += 2 * size_t{words};
    }
    SetDword(&out[6], static_cast<uint32_t>(out.size() / 2));
    SetDword(&out[12], largest);
    return true;
}

} // namespace lumtar::print
