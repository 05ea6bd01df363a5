// Memory DCs with a monochrome bitmap: GetDIBits' layout, rectangle edges,
// mapping, and how objects are selected and deleted. The expectations are
// what GDI does under Wine; both builds run the same table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lumtar32_gdi.h"
#include "support/canvas.h"

namespace {

struct Info {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
};

Info Header(int width, int height)
{
    Info info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    return info;
}

std::string Rows(std::initializer_list<const char*> rows)
{
    std::string s;
    for (const char* r : rows) s += std::string(r) + '\n';
    return s;
}

TEST(GdiDc, FreshDcState)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetTextAlign(dc), 0u);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_PEN)), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, GetStockObject(ANSI_VAR_FONT)), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SetTextAlign(dc, TA_CENTER), 0u) << "a memory DC returns the previous alignment";
    EXPECT_EQ(SetTextAlign(dc, TA_CENTER | TA_BOTTOM), UINT(TA_CENTER));
    EXPECT_EQ(GetTextAlign(dc), UINT(TA_CENTER | TA_BOTTOM));
    EXPECT_EQ(SetTextColor(dc, 0xFFFFFF), 0u);
    EXPECT_EQ(SetBkColor(dc, 0), 0xFFFFFFu);
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetMapMode(dc, MM_ANISOTROPIC), MM_TEXT);
    EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_ANISOTROPIC);
    EXPECT_EQ(DeleteDC(dc), TRUE);
}

TEST(GdiDc, NewBitmapIsBlackAndDegenerateSizesGiveTheDefaultBitmap)
{
    Info info = Header(12, 8);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(12, 8, 1, 1, nullptr);
    std::vector<uint8_t> rows(32, 0xAA);
    EXPECT_EQ(GetDIBits(dc, bitmap, 0, 8, rows.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 8);
    EXPECT_EQ(rows, std::vector<uint8_t>(32, 0));
    HGDIOBJ fresh = SelectObject(dc, bitmap);
    EXPECT_NE(fresh, nullptr);
    EXPECT_EQ(CreateBitmap(0, 5, 1, 1, nullptr), fresh) << "an empty bitmap is the DC's default 1 x 1 bitmap";
    EXPECT_EQ(CreateBitmap(5, 0, 1, 1, nullptr), fresh);
    SelectObject(dc, fresh);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// Reading rows: bottom-up, padding bits and bytes zero, the header's image
// size set and colour count cleared, the rest of it kept.
TEST(GdiDc, GetDIBitsLayout)
{
    Canvas canvas(12, 8, true);
    Rectangle(canvas.dc(), 1, 5, 4, 7); // rows 5 and 6, columns 1 to 3
    Info info = Header(12, 8);
    info.header.biXPelsPerMeter = 1234;
    info.header.biYPelsPerMeter = 99;
    info.header.biClrUsed = 2;
    info.header.biClrImportant = 2;
    info.header.biSizeImage = 7;
    info.colors[0] = {1, 2, 3, 4};
    std::vector<uint8_t> rows(40, 0xAA);
    HDC dc = canvas.dc();
    HBITMAP selected = canvas.bitmap();
    auto bits = [&](UINT start, UINT lines, Info& i) {
        return GetDIBits(dc, selected, start, lines, rows.data(), reinterpret_cast<BITMAPINFO*>(&i),
                         DIB_RGB_COLORS);
    };
    ASSERT_EQ(bits(0, 8, info), 8);
    const uint8_t expectedRows[32] = {
        0xFF, 0xF0, 0, 0, // row 7 (bottom)
        0x8F, 0xF0, 0, 0, // row 6
        0x8F, 0xF0, 0, 0, // row 5
        0xFF, 0xF0, 0, 0, 0xFF, 0xF0, 0, 0, 0xFF, 0xF0, 0, 0, 0xFF, 0xF0, 0, 0, 0xFF, 0xF0, 0, 0,
    };
    EXPECT_EQ(std::memcmp(rows.data(), expectedRows, 32), 0);
    EXPECT_EQ(rows[32], 0xAA) << "nothing past the last row";
    EXPECT_EQ(info.header.biSizeImage, 32u);
    EXPECT_EQ(info.header.biClrUsed, 0u);
    EXPECT_EQ(info.header.biClrImportant, 2u);
    EXPECT_EQ(info.header.biXPelsPerMeter, 1234);
    EXPECT_EQ(info.header.biYPelsPerMeter, 99);
    EXPECT_EQ(info.header.biHeight, 8);
    const uint8_t palette[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    EXPECT_EQ(std::memcmp(info.colors, palette, 8), 0);

    struct Partial {
        UINT start, lines;
        int result;
        std::vector<uint8_t> first;
    } partial[] = {
        {1, 2, 2, {0x8F, 0xF0, 0, 0, 0x8F, 0xF0, 0, 0, 0xAA}}, // rows 6 and 5
        {0, 20, 8, {0xFF, 0xF0, 0, 0, 0x8F}},                   // clamped to the height
        {7, 5, 1, {0xFF, 0xF0, 0, 0, 0xAA}},                    // only the top row remains
        {9, 2, 1, {0xAA}},                                      // past the end: nothing copied, yet 1
        {0, 0, 1, {0xAA}},
    };
    for (const Partial& p : partial) {
        SCOPED_TRACE(testing::Message() << "start " << p.start << " lines " << p.lines);
        std::fill(rows.begin(), rows.end(), 0xAA);
        Info i = Header(12, 8);
        EXPECT_EQ(bits(p.start, p.lines, i), p.result);
        EXPECT_EQ(std::vector<uint8_t>(rows.begin(), rows.begin() + p.first.size()), p.first);
    }

    Info topDown = Header(12, -8);
    std::fill(rows.begin(), rows.end(), 0xAA);
    EXPECT_EQ(bits(0, 8, topDown), 8);
    EXPECT_EQ(rows[5 * 4], 0x8F) << "a negative height reads top row first";
    EXPECT_EQ(rows[0], 0xFF);

    Info query{};
    query.header.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_EQ(GetDIBits(dc, selected, 0, 8, nullptr, reinterpret_cast<BITMAPINFO*>(&query), DIB_RGB_COLORS), 8);
    EXPECT_EQ(query.header.biWidth, 12);
    EXPECT_EQ(query.header.biHeight, 8);
    EXPECT_EQ(query.header.biBitCount, 1);
    EXPECT_EQ(query.header.biSizeImage, 32u);

    Info bad = Header(12, 8);
    EXPECT_EQ(GetDIBits(nullptr, selected, 0, 8, rows.data(), reinterpret_cast<BITMAPINFO*>(&bad), 0), 0);
    EXPECT_EQ(GetDIBits(dc, nullptr, 0, 8, rows.data(), reinterpret_cast<BITMAPINFO*>(&bad), 0), 0);
    EXPECT_EQ(GetDIBits(dc, selected, 0, 8, rows.data(), reinterpret_cast<BITMAPINFO*>(&bad), 5), 0);
}

// Rectangle with the black pen: left to right - 1 and top to bottom - 1,
// corners in any order, nothing when empty, clipped to the bitmap.
TEST(GdiDc, RectangleEdges)
{
    struct Case {
        const char* what;
        RECT r;
        UINT pen, brush;
        std::string picture;
    } cases[] = {
        {"plain", {1, 1, 5, 4}, BLACK_PEN, BLACK_BRUSH, Rows({"........", ".####...", ".####...", ".####...", "........", "........"})},
        {"reversed corners", {5, 4, 1, 1}, BLACK_PEN, BLACK_BRUSH, Rows({"........", ".####...", ".####...", ".####...", "........", "........"})},
        {"empty width", {2, 2, 2, 6}, BLACK_PEN, BLACK_BRUSH, Rows({"........", "........", "........", "........", "........", "........"})},
        {"empty height", {1, 3, 7, 3}, BLACK_PEN, BLACK_BRUSH, Rows({"........", "........", "........", "........", "........", "........"})},
        {"one column", {2, 1, 3, 5}, BLACK_PEN, BLACK_BRUSH, Rows({"........", "..#.....", "..#.....", "..#.....", "..#.....", "........"})},
        {"two by two", {5, 2, 7, 4}, BLACK_PEN, BLACK_BRUSH, Rows({"........", "........", ".....##.", ".....##.", "........", "........"})},
        {"one pixel", {5, 5, 6, 6}, BLACK_PEN, BLACK_BRUSH, Rows({"........", "........", "........", "........", "........", "........"})},
        {"clipped", {-3, -2, 2, 3}, BLACK_PEN, BLACK_BRUSH, Rows({"##......", "##......", "##......", "........", "........", "........"})},
        {"clipped far", {6, 4, 20, 30}, BLACK_PEN, BLACK_BRUSH, Rows({"........", "........", "........", "........", "......##", "......##"})},
        {"white brush", {1, 0, 6, 5}, BLACK_PEN, WHITE_BRUSH, Rows({".#####..", ".#...#..", ".#...#..", ".#...#..", ".#####..", "........"})},
        {"null pen", {1, 1, 6, 6}, NULL_PEN, BLACK_BRUSH, Rows({"........", ".####...", ".####...", ".####...", ".####...", "........"})},
        {"null brush", {1, 0, 6, 5}, BLACK_PEN, NULL_BRUSH, Rows({".#####..", ".#...#..", ".#...#..", ".#...#..", ".#####..", "........"})},
    };
    Canvas canvas(8, 6, true);
    for (const Case& c : cases) {
        canvas.Fill(true);
        SelectObject(canvas.dc(), GetStockObject(c.pen));
        SelectObject(canvas.dc(), GetStockObject(c.brush));
        EXPECT_EQ(Rectangle(canvas.dc(), c.r.left, c.r.top, c.r.right, c.r.bottom), TRUE);
        EXPECT_EQ(canvas.Picture(), c.picture) << c.what;
    }
}

TEST(GdiDc, FillRectAndPatBltEdges)
{
    struct Case {
        const char* what;
        RECT r;
        std::string picture;
    } cases[] = {
        {"plain", {1, 1, 4, 3}, Rows({"........", ".###....", ".###....", "........"})},
        {"reversed: shifted by one", {4, 3, 1, 1}, Rows({"........", "........", "..###...", "..###..."})},
        {"empty", {2, 2, 2, 4}, Rows({"........", "........", "........", "........"})},
    };
    Canvas canvas(8, 4, true);
    for (const Case& c : cases) {
        canvas.Fill(true);
        EXPECT_EQ(FillRect(canvas.dc(), &c.r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
        EXPECT_EQ(canvas.Picture(), c.picture) << c.what;
    }
    canvas.Fill(true);
    EXPECT_EQ(PatBlt(canvas.dc(), 6, 0, 2, 4, BLACKNESS), TRUE);
    EXPECT_EQ(PatBlt(canvas.dc(), 7, 1, 1, 2, WHITENESS), TRUE);
    EXPECT_EQ(canvas.Picture(), Rows({"......##", "......#.", "......#.", "......##"}));
}

// Logical to device: window and viewport in MM_ANISOTROPIC, rounded half up.
TEST(GdiDc, AnisotropicMapping)
{
    Canvas canvas(12, 8, true);
    HDC dc = canvas.dc();
    SIZE size{};
    POINT origin{};
    EXPECT_EQ(SetWindowExtEx(dc, 3, 3, &size), TRUE) << "ignored in MM_TEXT";
    EXPECT_EQ(size.cx, 1);
    SetMapMode(dc, MM_ANISOTROPIC);
    EXPECT_EQ(SetWindowExtEx(dc, 100, 100, &size), TRUE);
    EXPECT_EQ(size.cx, 1);
    EXPECT_EQ(SetViewportExtEx(dc, 10, 10, &size), TRUE);
    EXPECT_EQ(SetWindowOrgEx(dc, -10, -20, &origin), TRUE);
    EXPECT_EQ(SetWindowExtEx(dc, 0, 5, nullptr), FALSE);
    Rectangle(dc, 0, 0, 25, 34);  // device (1, 2) - (3.5, 5.4): columns 1-3, rows 2-4
    Rectangle(dc, 56, 0, 74, 14); // device (6.6, 2) - (8.4, 3.4): one pixel, nothing
    EXPECT_EQ(canvas.Picture(), Rows({"............", "............", ".###........", ".###........", ".###........",
                                      "............", "............", "............"}));
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, 10, 10, nullptr);
    SetViewportExtEx(dc, 10, -10, nullptr);
    SetViewportOrgEx(dc, 0, 8, nullptr); // y up from the bottom row
    canvas.Fill(true);
    Rectangle(dc, 1, 1, 4, 3);
    EXPECT_EQ(canvas.Picture(), Rows({"............", "............", "............", "............", "............",
                                      ".###........", ".###........", "............"}));
}

TEST(GdiDc, SelectionAndDeletion)
{
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(3, 3, 1, 1, nullptr);
    HGDIOBJ oldA = SelectObject(a, bitmap);
    ASSERT_NE(oldA, nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr) << "a bitmap is selected into one DC at a time";
    EXPECT_EQ(DeleteObject(bitmap), TRUE) << "deleting a selected bitmap is deferred";
    EXPECT_EQ(SelectObject(a, oldA), bitmap);
    EXPECT_EQ(DeleteObject(bitmap), FALSE) << "gone once it was selected out";

    LOGFONTA lf{};
    lf.lfHeight = 10;
    std::strcpy(lf.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = SelectObject(a, font);
    EXPECT_EQ(DeleteObject(font), TRUE);
    EXPECT_EQ(SelectObject(a, oldFont), font);
    EXPECT_EQ(DeleteObject(font), FALSE);

    HBITMAP kept = CreateBitmap(2, 2, 1, 1, nullptr);
    SelectObject(b, kept);
    EXPECT_EQ(DeleteObject(kept), TRUE);
    EXPECT_EQ(DeleteDC(b), TRUE) << "the DC takes its deferred bitmap along";
    EXPECT_EQ(DeleteObject(kept), FALSE);

    EXPECT_EQ(SelectObject(a, reinterpret_cast<HGDIOBJ>(0x12345)), nullptr);
    EXPECT_EQ(SelectObject(a, a), nullptr) << "a DC is no object to select";
    EXPECT_EQ(DeleteObject(GetStockObject(WHITE_BRUSH)), TRUE);
    EXPECT_EQ(SelectObject(a, GetStockObject(WHITE_BRUSH)), GetStockObject(WHITE_BRUSH)) << "stock objects survive DeleteObject";
    EXPECT_EQ(DeleteObject(a), TRUE) << "DeleteObject of a DC deletes the DC";
    EXPECT_EQ(DeleteDC(a), FALSE);
    EXPECT_EQ(DeleteDC(nullptr), FALSE);
    EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(0x54321)), nullptr);
}

} // namespace
