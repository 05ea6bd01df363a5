// The 1-bit raster: creation, single pixels and rectangles painted in whole
// byte spans, clipped to the bitmap.
#include "platform/raster.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/bytes.h"
#include "platform/memory.h"

namespace lumtar::platform {

namespace {

// Larger bitmaps are refused rather than attempted: 512 MiB of rows.
constexpr long long MaxRasterBytes = 512LL << 20;

// A span of pixels [from, to) in one axis, already clipped.
struct Span {
    int from = 0;
    int to = 0;
    bool empty() const { return from >= to; }
};

Span Clip(long long from, long long to, int size)
{
    Span span;
    span.from = static_cast<int>(std::clamp<long long>(from, 0, size));
    span.to = static_cast<int>(std::clamp<long long>(to, 0, size));
    return span;
}

template <bool White> void Apply(uint8_t& byte, uint8_t mask)
{
    byte = White ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}

// Pixels [x0, x1) of `rows` rows from `row` on. The masks are the same in
// every row, so they are worked out once; a span of up to eight bytes, as
// bars and glyph cells are, then costs one read and one write of a word per
// row.
template <bool White> void FillRows(uint8_t* row, size_t stride, int rows, int x0, int x1)
{
    const int firstByte = x0 / 8;
    const int lastByte = (x1 - 1) / 8;
    const uint8_t headMask = static_cast<uint8_t>(0xFFu >> (x0 % 8));
    const uint8_t tailMask = static_cast<uint8_t>(0xFFu << (7 - (x1 - 1) % 8));
    const int middle = lastByte - firstByte - 1; // whole bytes between head and tail
    uint8_t* at = row + firstByte;
    if (middle <= 6 && static_cast<size_t>(firstByte) + 8 <= stride) {
        // Up to eight bytes in one word: the bytes in memory order, each with
        // its mask (the bytes past the span keep mask 0 and are written back
        // as they were read; they are this row's own).
        uint64_t mask = 0;
        for (int b = 0; b <= middle + 1; ++b) {
            const uint8_t m = b == 0 ? (middle < 0 ? headMask & tailMask : headMask) : b == middle + 1 ? tailMask : 0xFF;
            mask |= uint64_t{m} << (8 * (std::endian::native == std::endian::little ? b : 7 - b));
        }
        for (int i = 0; i < rows; ++i, at += stride) {
            uint64_t word;
            std::memcpy(&word, at, 8);
            word = White ? (word | mask) : (word & ~mask);
            std::memcpy(at, &word, 8);
        }
    } else if (middle < 0) {
        for (int i = 0; i < rows; ++i, at += stride) Apply<White>(at[0], headMask & tailMask);
    } else {
        for (int i = 0; i < rows; ++i, at += stride) {
            Apply<White>(at[0], headMask);
            std::memset(at + 1, White ? 0xFF : 0x00, static_cast<size_t>(middle));
            Apply<White>(at[middle + 1], tailMask);
        }
    }
}

void FillSpans(Raster& raster, Span xs, Span ys, bool white)
{
    if (xs.empty() || ys.empty()) return;
    const size_t stride = static_cast<size_t>(raster.stride);
    uint8_t* row = raster.bits.data() + static_cast<size_t>(ys.from) * stride;
    if (white)
        FillRows<true>(row, stride, ys.to - ys.from, xs.from, xs.to);
    else
        FillRows<false>(row, stride, ys.to - ys.from, xs.from, xs.to);
}

// FillRect leaves reversed corners as they are; GDI then covers the pixels
// from the smaller coordinate + 1 up to and including the larger one.
Span UnorderedSpan(int a, int b, int size)
{
    return a <= b ? Clip(a, b, size) : Clip(static_cast<long long>(b) + 1, static_cast<long long>(a) + 1, size);
}

// --- Held fills ---

// Fills held at most; one more settles them first. Reading or settling
// looks at every held fill for every band of rows, so this keeps it cheap.
constexpr size_t MaxHeld = 256;

void Hold(Raster& raster, Span xs, Span ys, bool white)
{
    if (xs.empty() || ys.empty()) return;
    HeldFills& held = raster.held;
    // Without memory to hold it, the fill is painted at once: the same pixels.
    if (held.fills.capacity() < MaxHeld) {
        try {
            held.fills.reserve(MaxHeld);
        } catch (const std::bad_alloc&) {
            RasterSettle(raster);
            FillSpans(raster, xs, ys, white);
            return;
        }
    }
    // A fill of the whole raster hides every fill before it.
    if (xs.from == 0 && ys.from == 0 && xs.to == raster.width && ys.to == raster.height) held.fills.clear();
    if (held.fills.size() >= MaxHeld) RasterSettle(raster);
    if (held.fills.empty()) {
        held.top = ys.from;
        held.bottom = ys.to;
    } else {
        held.top = std::min(held.top, ys.from);
        held.bottom = std::max(held.bottom, ys.to);
    }
    held.fills.push_back({xs.from, xs.to, ys.from, ys.to, white});
}

} // namespace

bool RasterCreate(Raster& raster, int width, int height)
{
    raster = Raster{};
    if (width <= 0 || height <= 0) return false;
    const long long stride = BmpStride(width);
    if (stride * height > MaxRasterBytes) return false;
    if (!raster.bits.Allocate(static_cast<size_t>(stride * height))) return OutOfMemory(false); // 0: black
    raster.width = width;
    raster.height = height;
    raster.stride = static_cast<int>(stride);
    return true;
}

bool ZeroedBytes::Allocate(size_t size)
{
    bytes_.reset(static_cast<uint8_t*>(std::calloc(size, 1)));
    size_ = bytes_ ? size : 0;
    return bytes_ != nullptr;
}

void RasterSetPixelSettled(Raster& raster, int x, int y, bool white)
{
    if (x < 0 || y < 0 || x >= raster.width || y >= raster.height) return;
    uint8_t& byte = raster.bits[static_cast<size_t>(y) * raster.stride + x / 8];
    uint8_t mask = static_cast<uint8_t>(0x80u >> (x % 8));
    byte = white ? (byte | mask) : (byte & ~mask);
}

void RasterFillSettled(Raster& raster, int left, int top, int right, int bottom, bool white)
{
    FillSpans(raster, UnorderedSpan(left, right, raster.width), UnorderedSpan(top, bottom, raster.height), white);
}

void RasterFill(Raster& raster, int left, int top, int right, int bottom, bool white)
{
    const Span ys = UnorderedSpan(top, bottom, raster.height);
    if (!raster.held.empty()) RasterSettleRows(raster, ys.from, ys.to);
    FillSpans(raster, UnorderedSpan(left, right, raster.width), ys, white);
}

void RasterHoldFill(Raster& raster, int left, int top, int right, int bottom, bool white)
{
    Hold(raster, UnorderedSpan(left, right, raster.width), UnorderedSpan(top, bottom, raster.height), white);
}

// paint(columns, rows, white) for a rectangle's outline, the outermost ring
// of pixels, in the pen's colour, then for its inside in the brush's; a
// rectangle one or two pixels across is all outline.
template <typename Paint>
void ForOutlineAndInside(Raster& raster, int left, int top, int right, int bottom, bool penWhite, bool brushWhite,
                         Paint paint)
{
    long long l = std::min(left, right), r = std::max(left, right);
    long long t = std::min(top, bottom), b = std::max(top, bottom);
    if (l == r || t == b) return;
    if (r - l == 1 && b - t == 1) return; // a closed outline of no length paints nothing
    paint(Clip(l, r, raster.width), Clip(t, b, raster.height), penWhite);
    if (penWhite != brushWhite) paint(Clip(l + 1, r - 1, raster.width), Clip(t + 1, b - 1, raster.height), brushWhite);
}

void RasterRectangle(Raster& raster, int left, int top, int right, int bottom, bool penWhite, bool brushWhite)
{
    ForOutlineAndInside(raster, left, top, right, bottom, penWhite, brushWhite, [&](Span xs, Span ys, bool white) {
        if (!raster.held.empty()) RasterSettleRows(raster, ys.from, ys.to);
        FillSpans(raster, xs, ys, white);
    });
}

void RasterHoldRectangle(Raster& raster, int left, int top, int right, int bottom, bool penWhite, bool brushWhite)
{
    ForOutlineAndInside(raster, left, top, right, bottom, penWhite, brushWhite,
                   [&](Span xs, Span ys, bool white) { Hold(raster, xs, ys, white); });
}

void RasterSettleRows(Raster& raster, int top, int bottom)
{
    HeldFills& held = raster.held;
    top = std::max(top, held.top);
    bottom = std::min(bottom, held.bottom);
    if (held.empty() || top >= bottom) return;
    std::vector<HeldFill>& fills = held.fills;
    auto crosses = [&](const HeldFill& f) { return f.top < bottom && top < f.bottom; };
    // The rows are painted fill by fill, in order; what stays held of a fill
    // is its part above them and its part below, in the fill's place.
    size_t splits = 0; // fills that leave a part above and a part below
    for (const HeldFill& f : fills) {
        if (!crosses(f)) continue;
        FillSpans(raster, {f.left, f.right}, {std::max(f.top, top), std::min(f.bottom, bottom)}, f.white);
        splits += f.top < top && f.bottom > bottom;
    }
    // Rebuilt from the back, in place: with room for one more entry per
    // split, the pieces never overtake a fill not yet read.
    const size_t n = fills.size();
    fills.resize(n + splits);
    size_t at = n + splits;
    for (size_t i = n; i-- > 0;) {
        const HeldFill f = fills[i];
        if (!crosses(f)) {
            fills[--at] = f;
            continue;
        }
        if (f.bottom > bottom) fills[--at] = {f.left, f.right, bottom, f.bottom, f.white};
        if (f.top < top) fills[--at] = {f.left, f.right, f.top, top, f.white};
    }
    fills.erase(fills.begin(), fills.begin() + static_cast<std::ptrdiff_t>(at));
    held.top = INT_MAX;
    held.bottom = INT_MIN;
    for (const HeldFill& f : fills) {
        held.top = std::min(held.top, f.top);
        held.bottom = std::max(held.bottom, f.bottom);
    }
    if (fills.size() > MaxHeld) RasterSettle(raster);
}

void RasterSettle(Raster& raster)
{
    if (raster.held.empty()) return;
    RowReader rows(raster);
    const size_t stride = static_cast<size_t>(raster.stride);
    for (int y = raster.held.top; y < raster.held.bottom;) {
        const RowReader::Span span = rows.At(y);
        uint8_t* own = raster.bits.data() + static_cast<size_t>(y) * stride;
        if (span.row != own)
            for (int i = 0; i < span.count; ++i) std::memcpy(own + i * stride, span.row, stride);
        y += span.count;
    }
    raster.held.fills.clear();
}

// The fills' top and bottom edges cut the rows into bands that the same
// fills cover; each band's row is worked out once, for all of its rows.
RowReader::RowReader(const Raster& raster) : raster_(raster)
{
    cuts_.reserve(16);
    int lastTop = INT_MIN, lastBottom = INT_MIN;
    for (const HeldFill& f : raster.held.fills) {
        if (f.top == lastTop && f.bottom == lastBottom) continue; // as high as the bar before
        lastTop = f.top;
        lastBottom = f.bottom;
        for (int edge : {f.top, f.bottom}) { // few distinct edges: bars share theirs
            auto at = std::lower_bound(cuts_.begin(), cuts_.end(), edge);
            if (at == cuts_.end() || *at != edge) cuts_.insert(at, edge);
        }
    }
}

RowReader::Span RowReader::At(int y)
{
    const size_t stride = static_cast<size_t>(raster_.stride);
    const uint8_t* own = raster_.bits.data() + static_cast<size_t>(y) * stride;
    if (cuts_.size() < 2 || y >= cuts_.back()) return {own, stride, raster_.height - y};
    if (y < cuts_.front()) return {own, stride, cuts_.front() - y};
    Prepare(y);
    const int end = cuts_[band_ + 1];
    if (!covered_) return {own, stride, end - y};
    if (whole_) return {value_.data(), 0, end - y};
    composed_.assign(own, own + stride);
    for (const Run& run : runs_) {
        uint8_t* to = composed_.data();
        if (run.whole)
            std::memcpy(to + run.from, value_.data() + run.from, static_cast<size_t>(run.to - run.from));
        else
            for (int b = run.from; b < run.to; ++b) to[b] = static_cast<uint8_t>((to[b] & ~cover_[b]) | value_[b]);
    }
    return {composed_.data(), 0, 1};
}

// The band of row y, and which fills cover it.
void RowReader::Prepare(int y)
{
    while (y >= cuts_[band_ + 1]) {
        ++band_;
        ready_ = false;
    }
    if (ready_) return;
    active_.clear();
    const std::vector<HeldFill>& fills = raster_.held.fills;
    for (size_t i = 0; i < fills.size(); ++i)
        if (fills[i].top <= cuts_[band_] && fills[i].bottom >= cuts_[band_ + 1]) active_.push_back(static_cast<uint16_t>(i));
    covered_ = !active_.empty();
    if (covered_ && active_ != built_) {
        Build();
        built_ = active_;
    }
    ready_ = true;
}

// The band's row: the colour its fills leave (value_) and the pixels any of
// them covers (cover_), then the runs of bytes to copy or to merge.
void RowReader::Build()
{
    const size_t stride = static_cast<size_t>(raster_.stride);
    const std::vector<HeldFill>& fills = raster_.held.fills;
    value_.assign(stride, 0);
    // A fill across the whole width hides the fills before it: the band's
    // row starts as its colour and covers every pixel.
    size_t first = active_.size();
    while (first > 0 && (fills[active_[first - 1]].left != 0 || fills[active_[first - 1]].right != raster_.width)) --first;
    if (first > 0) {
        const HeldFill& across = fills[active_[first - 1]];
        if (across.white) FillRows<true>(value_.data(), stride, 1, 0, raster_.width);
        for (size_t k = first; k < active_.size(); ++k) {
            const HeldFill& f = fills[active_[k]];
            if (f.white)
                FillRows<true>(value_.data(), stride, 1, f.left, f.right);
            else
                FillRows<false>(value_.data(), stride, 1, f.left, f.right);
        }
        runs_.clear();
        whole_ = true;
        return;
    }
    cover_.assign(stride, 0);
    for (uint16_t i : active_) {
        const HeldFill& f = fills[i];
        if (f.white)
            FillRows<true>(value_.data(), stride, 1, f.left, f.right);
        else
            FillRows<false>(value_.data(), stride, 1, f.left, f.right);
        FillRows<true>(cover_.data(), stride, 1, f.left, f.right);
    }
    runs_.clear();
    for (int b = 0; b < raster_.stride; ++b) {
        if (!cover_[b]) continue;
        const bool whole = cover_[b] == 0xFF;
        if (!runs_.empty() && runs_.back().to == b && runs_.back().whole == whole)
            ++runs_.back().to;
        else
            runs_.push_back({b, b + 1, whole});
    }
    // Every pixel covered: the band's row is the row, padding included.
    const int full = raster_.width / 8, rest = raster_.width % 8;
    whole_ = std::all_of(cover_.begin(), cover_.begin() + full, [](uint8_t c) { return c == 0xFF; }) &&
             (rest == 0 || cover_[full] == static_cast<uint8_t>(0xFF00u >> rest));
}

} // namespace lumtar::platform
