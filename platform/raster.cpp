// The 1-bit raster: creation, single pixels and rectangles painted in whole
// byte spans, clipped to the bitmap.
#include "platform/raster.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/bytes.h"

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

// One set of rows of a destroyed large raster. Rows of a megabyte or more
// come from mmap and would be faulted in page by page on every new bitmap;
// keeping the largest recent one costs no more memory than that bitmap did.
constexpr size_t SpareMinBytes = size_t{1} << 20;

struct SpareRows {
    std::mutex lock;
    std::vector<uint8_t> bits;
};

SpareRows& Spare()
{
    static auto* spare = new SpareRows; // outlives every static raster
    return *spare;
}

void KeepRows(std::vector<uint8_t>&& bits)
{
    if (bits.capacity() < SpareMinBytes) return;
    SpareRows& spare = Spare();
    std::lock_guard<std::mutex> guard(spare.lock);
    if (bits.capacity() > spare.bits.capacity()) spare.bits = std::move(bits);
}

// The spare rows when they hold at least `bytes`, else an empty vector.
std::vector<uint8_t> TakeRows(size_t bytes)
{
    std::vector<uint8_t> bits;
    if (bytes < SpareMinBytes) return bits;
    SpareRows& spare = Spare();
    std::lock_guard<std::mutex> guard(spare.lock);
    if (spare.bits.capacity() >= bytes) bits.swap(spare.bits);
    return bits;
}

} // namespace

Raster::~Raster() { KeepRows(std::move(bits)); }

bool RasterCreate(Raster& raster, int width, int height)
{
    KeepRows(std::move(raster.bits));
    raster = Raster{};
    if (width <= 0 || height <= 0) return false;
    const long long stride = BmpStride(width);
    if (stride * height > MaxRasterBytes) return false;
    std::vector<uint8_t> bits = TakeRows(static_cast<size_t>(stride * height));
    try {
        bits.assign(static_cast<size_t>(stride * height), 0); // palette index 0: black
    } catch (const std::bad_alloc&) {
        return false;
    }
    raster.width = width;
    raster.height = height;
    raster.stride = static_cast<int>(stride);
    raster.bits = std::move(bits);
    return true;
}

bool RasterPixel(const Raster& raster, int x, int y)
{
    if (x < 0 || y < 0 || x >= raster.width || y >= raster.height) return false;
    return raster.bits[static_cast<size_t>(y) * raster.stride + x / 8] & (0x80u >> (x % 8));
}

void RasterSetPixel(Raster& raster, int x, int y, bool white)
{
    if (x < 0 || y < 0 || x >= raster.width || y >= raster.height) return;
    uint8_t& byte = raster.bits[static_cast<size_t>(y) * raster.stride + x / 8];
    uint8_t mask = static_cast<uint8_t>(0x80u >> (x % 8));
    byte = white ? (byte | mask) : (byte & ~mask);
}

void RasterFill(Raster& raster, int left, int top, int right, int bottom, bool white)
{
    FillSpans(raster, UnorderedSpan(left, right, raster.width), UnorderedSpan(top, bottom, raster.height), white);
}

void RasterRectangle(Raster& raster, int left, int top, int right, int bottom, bool penWhite, bool brushWhite)
{
    long long l = std::min(left, right), r = std::max(left, right);
    long long t = std::min(top, bottom), b = std::max(top, bottom);
    if (l == r || t == b) return;
    if (r - l == 1 && b - t == 1) return; // a closed outline of no length paints nothing
    // The outline is the outermost ring of pixels; a rectangle one or two
    // pixels across is all outline.
    FillSpans(raster, Clip(l, r, raster.width), Clip(t, b, raster.height), penWhite);
    if (penWhite != brushWhite)
        FillSpans(raster, Clip(l + 1, r - 1, raster.width), Clip(t + 1, b - 1, raster.height), brushWhite);
}

} // namespace lumtar::platform
