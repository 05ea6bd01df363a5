#include "support/canvas.h"

#include <gtest/gtest.h>

#include <cstdint>

const CanvasGdi& LinkedGdi()
{
    static const CanvasGdi gdi{&::CreateCompatibleDC, &::DeleteDC,       &::CreateBitmap, &::SelectObject,
                               &::DeleteObject,       &::GetStockObject, &::FillRect,     &::GetDIBits};
    return gdi;
}

Canvas::Canvas(int width, int height, bool inked, const CanvasGdi& gdi) : gdi_(gdi), width_(width), height_(height)
{
    dc_ = gdi_.CreateCompatibleDC(nullptr);
    bitmap_ = gdi_.CreateBitmap(width, height, 1, 1, nullptr);
    old_ = gdi_.SelectObject(dc_, bitmap_);
    Fill(true);
    if (inked) {
        gdi_.SelectObject(dc_, gdi_.GetStockObject(BLACK_BRUSH));
        gdi_.SelectObject(dc_, gdi_.GetStockObject(BLACK_PEN));
    }
}

Canvas::~Canvas()
{
    gdi_.SelectObject(dc_, old_);
    gdi_.DeleteObject(bitmap_);
    gdi_.DeleteDC(dc_);
}

void Canvas::Fill(bool white)
{
    const RECT all{0, 0, width_, height_};
    gdi_.FillRect(dc_, &all, static_cast<HBRUSH>(gdi_.GetStockObject(white ? WHITE_BRUSH : BLACK_BRUSH)));
}

std::vector<std::vector<bool>> Canvas::Pixels() const
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width_;
    info.header.biHeight = height_;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    const std::size_t stride = static_cast<std::size_t>(width_ + 31) / 32 * 4;
    std::vector<uint8_t> rows(stride * height_); // bottom-up
    const int lines = gdi_.GetDIBits(dc_, bitmap_, 0, height_, rows.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    EXPECT_EQ(lines, height_);
    EXPECT_EQ(info.colors[0].rgbRed, 0);
    EXPECT_EQ(info.colors[1].rgbRed, 255);
    std::vector<std::vector<bool>> pixels(height_, std::vector<bool>(width_));
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) pixels[y][x] = rows[(height_ - 1 - y) * stride + x / 8] & (0x80 >> (x % 8));
    return pixels;
}

std::string Canvas::Picture() const
{
    std::string picture;
    for (const auto& row : Pixels()) {
        for (const bool white : row) picture += white ? '.' : '#';
        picture += '\n';
    }
    return picture;
}
