// The 1-bit raster: creation, single pixels and rectangles painted in whole
// byte spans, clipped to the bitmap.
#include "platform/raster.h"

#include <algorithm>
#include <cstring>
#include <new>

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

// Sets pixels [x0, x1) of one row: partial bytes by mask, whole bytes by memset.
void FillRow(uint8_t* row, int x0, int x1, bool white)
{
    int firstByte = x0 / 8;
    int lastByte = (x1 - 1) / 8;
    uint8_t headMask = static_cast<uint8_t>(0xFFu >> (x0 % 8));
    uint8_t tailMask = static_cast<uint8_t>(0xFFu << (7 - (x1 - 1) % 8));
    auto apply = [white](uint8_t& byte, uint8_t mask) { byte = white ? (byte | mask) : (byte & ~mask); };
    if (firstByte == lastByte) {
        apply(row[firstByte], headMask & tailMask);
        return;
    }
    apply(row[firstByte], headMask);
    if (lastByte - firstByte > 1) std::memset(row + firstByte + 1, white ? 0xFF : 0x00, lastByte - firstByte - 1);
    apply(row[lastByte], tailMask);
}

void FillSpans(Raster& raster, Span xs, Span ys, bool white)
{
    if (xs.empty() || ys.empty()) return;
    for (int y = ys.from; y < ys.to; ++y)
        FillRow(raster.bits.data() + static_cast<size_t>(y) * raster.stride, xs.from, xs.to, white);
}

// FillRect leaves reversed corners as they are; GDI then covers the pixels
// from the smaller coordinate + 1 up to and including the larger one.
Span UnorderedSpan(int a, int b, int size)
{
    return a <= b ? Clip(a, b, size) : Clip(static_cast<long long>(b) + 1, static_cast<long long>(a) + 1, size);
}

} // namespace

bool RasterCreate(Raster& raster, int width, int height)
{
    raster = Raster{};
    if (width <= 0 || height <= 0) return false;
    long long stride = (static_cast<long long>(width) + 31) / 32 * 4;
    if (stride * height > MaxRasterBytes) return false;
    std::vector<uint8_t> bits;
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
