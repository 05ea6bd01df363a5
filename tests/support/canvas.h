// A monochrome bitmap selected into a memory DC of its own, filled white and
// read back with GetDIBits: what the drawing tests draw on. Through the calls
// linked in, or through a table of them (the shipped library's own, looked up
// at run time).
#pragma once

#include <string>
#include <vector>

#include "lumtar32_gdi.h"

struct CanvasGdi {
    decltype(&::CreateCompatibleDC) CreateCompatibleDC = nullptr;
    decltype(&::DeleteDC) DeleteDC = nullptr;
    decltype(&::CreateBitmap) CreateBitmap = nullptr;
    decltype(&::SelectObject) SelectObject = nullptr;
    decltype(&::DeleteObject) DeleteObject = nullptr;
    decltype(&::GetStockObject) GetStockObject = nullptr;
    decltype(&::FillRect) FillRect = nullptr;
    decltype(&::GetDIBits) GetDIBits = nullptr;
};

const CanvasGdi& LinkedGdi();

class Canvas {
public:
    // inked: the black brush and pen selected (else the DC's own).
    Canvas(int width, int height, bool inked = false, const CanvasGdi& gdi = LinkedGdi());
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    void Fill(bool white);
    // Top row first, true for white. A GetDIBits that fails, or gives a
    // palette other than black and white, fails the test.
    std::vector<std::vector<bool>> Pixels() const;
    // '#' black, '.' white, a line per row from the top.
    std::string Picture() const;

private:
    const CanvasGdi& gdi_;
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};
