#include "print/records.h"

#include <algorithm>

#include "platform/wmf.h"

namespace lumtar::print {
namespace {

using wmf::Call;
using wmf::Op;

uint32_t Recolored(uint32_t color, const Edit& e)
{
    const uint32_t rgb = color & 0xFFFFFF;
    return rgb == 0 ? e.ink : rgb == 0xFFFFFF ? e.paper : color;
}

// A rectangle's sides, as Rectangle takes them.
struct Box {
    int left, top, right, bottom;
};
Box BoxOf(const Call& c) { return {c.args[0], c.args[1], c.args[2], c.args[3]}; }
void SetBox(Call& c, const Box& b)
{
    c.args[0] = b.left, c.args[1] = b.top, c.args[2] = b.right, c.args[3] = b.bottom;
}

// Whether b continues a (the next module of the same bar).
bool Continues(const Box& a, const Box& b, bool across)
{
    if (!across) return a.top == b.top && a.bottom == b.bottom && a.right == b.left;
    return a.left == b.left && a.right == b.right && (a.top == b.bottom || a.bottom == b.top);
}

// The rectangle record at `last` grown by b when b continues it.
bool Merged(uint8_t* last, std::size_t words, const Box& b, bool across)
{
    Call bar = wmf::CallOf(last, words);
    const Box a = BoxOf(bar);
    if (!Continues(a, b, across)) return false;
    SetBox(bar, {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)});
    return wmf::SetCall(last, words, bar);
}

void Narrow(Call& bar, const Edit& e)
{
    Box b = BoxOf(bar);
    int& low = e.across ? b.top : b.left;
    int& high = e.across ? b.bottom : b.right;
    low += e.bwr / 2;
    high -= e.bwr - e.bwr / 2;
    SetBox(bar, b);
}

// Turned by 180 degrees within the window: points and boxes mirrored, a
// font's angles turned. False for a call with nothing to turn.
bool Turn(Call& c, const Edit& e)
{
    const int w = e.width, h = e.height;
    int* a = c.args;
    switch (c.op) {
    case Op::Rectangle: {
        const Box b = BoxOf(c);
        SetBox(c, {w - b.right, h - b.bottom, w - b.left, h - b.top});
        return true;
    }
    case Op::PatBlt: a[0] = w - a[0] - a[2], a[1] = h - a[1] - a[3]; return true;
    case Op::TextOut: a[0] = w - a[0], a[1] = h - a[1]; return true;
    case Op::CreateFont:
        c.font.escapement = (c.font.escapement + 1800) % 3600;
        c.font.orientation = (c.font.orientation + 1800) % 3600;
        return true;
    default: return false;
    }
}

// Narrow each bar, then turn.
void Place(Bytes& out, const Edit& e)
{
    for (std::size_t at = wmf::HeaderBytes, words; (words = wmf::RecordWords(out.data(), out.size(), at)) != 0;
         at += 2 * words) {
        uint8_t* record = out.data() + at;
        Call call = wmf::CallOf(record, words);
        bool changed = false;
        if (call.op == Op::Rectangle && e.bwr) Narrow(call, e), changed = true;
        if (e.flip && Turn(call, e)) changed = true;
        if (changed) wmf::SetCall(record, words, call);
    }
}

} // namespace

bool EditRecords(const Bytes& bits, const Edit& e, Bytes& out)
{
    if (bits.size() < wmf::HeaderBytes) return false;
    out.assign(bits.begin(), bits.begin() + wmf::HeaderBytes);
    std::size_t largest = 0;
    std::size_t pendingBar = 0; // where the last rectangle record begins in out, 0: none before this record
    for (std::size_t at = wmf::HeaderBytes; at + 6 <= bits.size();) {
        const std::size_t words = wmf::RecordWords(bits.data(), bits.size(), at);
        if (words == 0) return false;
        const uint8_t* record = bits.data() + at;
        at += 2 * words;
        Call call = wmf::CallOf(record, words);
        if (call.op == Op::Rectangle && e.bwr) {
            // One bar drawn as touching rectangles (a module each) is narrowed once.
            if (pendingBar &&
                Merged(out.data() + pendingBar, wmf::RecordWords(out.data(), out.size(), pendingBar), BoxOf(call), e.across))
                continue;
            pendingBar = out.size();
        } else if (call.op != Op::Rectangle) {
            pendingBar = 0;
        }
        const std::size_t start = out.size();
        out.insert(out.end(), record, record + 2 * words);
        if (e.recolor && (call.op == Op::CreateBrush || call.op == Op::CreatePen)) {
            call.color = Recolored(call.color, e);
            wmf::SetCall(out.data() + start, words, call);
        }
        largest = std::max(largest, words);
    }
    Place(out, e);
    // The header's size and largest record follow the records kept.
    wmf::SetSizeWords(out.data(), static_cast<uint32_t>(out.size() / 2));
    wmf::SetMaxRecordWords(out.data(), static_cast<uint32_t>(largest));
    return true;
}

} // namespace lumtar::print
