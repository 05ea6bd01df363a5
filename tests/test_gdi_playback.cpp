// Metafiles played back onto a bitmap, the clipboard's metafile picture, and
// the memory, file and arithmetic calls - the same program on both builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "lumtar32_gdi.h"
#include "support/canvas.h"
#include "support/wmf.h"

namespace {

// Bars, a white cut-out and a FillRect: everything the recorder writes that
// paints pixels without a font.
void Draw(HDC dc)
{
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, 2, 1, 5, 30);
    Rectangle(dc, 9, 30, 7, 3); // reversed corners
    Rectangle(dc, 12, 4, 13, 5); // one pixel: nothing
    RECT r{20, 2, 38, 12};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, 22, 14, 36, 28);
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, 25, 17, 31, 23);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

constexpr int W = 40, H = 32; // the canvases' size

HMETAFILE Recorded(void (*draw)(HDC))
{
    HDC dc = CreateMetaFileA(nullptr);
    draw(dc);
    return CloseMetaFile(dc);
}

TEST(GdiPlayback, PlayedMetafileEqualsDirectDrawing)
{
    Canvas direct(W, H), played(W, H);
    Draw(direct.dc());
    HMETAFILE mf = Recorded(Draw);
    ASSERT_NE(mf, nullptr);
    EXPECT_EQ(PlayMetaFile(played.dc(), mf), TRUE);
    EXPECT_EQ(played.Pixels(), direct.Pixels());
    // The DC gets its pen and brush back.
    EXPECT_EQ(SelectObject(played.dc(), GetStockObject(WHITE_PEN)), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(played.dc(), GetStockObject(NULL_BRUSH)), GetStockObject(WHITE_BRUSH));
    DeleteMetaFile(mf);
    EXPECT_EQ(PlayMetaFile(played.dc(), mf), FALSE);
    EXPECT_EQ(PlayMetaFile(nullptr, nullptr), FALSE);
}

// The mapping records scale the picture: window 400 x 320 onto a viewport
// of 40 x 32 pixels is the drawing above at a tenth.
TEST(GdiPlayback, MappingRecordsScaleThePicture)
{
    Canvas direct(W, H), played(W, H);
    Draw(direct.dc());
    SetMapMode(played.dc(), MM_ANISOTROPIC);
    SetViewportExtEx(played.dc(), W, H, nullptr);
    HMETAFILE mf = Recorded([](HDC dc) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 400, 320, nullptr);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
        Rectangle(dc, 20, 10, 50, 300);
        Rectangle(dc, 90, 300, 70, 30);
        SelectObject(dc, oldBrush);
    });
    EXPECT_EQ(PlayMetaFile(played.dc(), mf), TRUE);
    Canvas expected(W, H);
    HGDIOBJ oldBrush = SelectObject(expected.dc(), GetStockObject(BLACK_BRUSH));
    Rectangle(expected.dc(), 2, 1, 5, 30);
    Rectangle(expected.dc(), 9, 30, 7, 3);
    SelectObject(expected.dc(), oldBrush);
    EXPECT_EQ(played.Pixels(), expected.Pixels());
    DeleteMetaFile(mf);
}

// Played onto a metafile DC, the records are recorded again: same drawing,
// same bytes as drawing there directly.
TEST(GdiPlayback, PlayingIntoAMetafileRecordsTheSameDrawing)
{
    HMETAFILE original = Recorded(Draw);
    HDC dc = CreateMetaFileA(nullptr);
    EXPECT_EQ(PlayMetaFile(dc, original), TRUE);
    const wmf::Metafile copy = wmf::CloseAndParse(dc);
    const wmf::Metafile first = wmf::Parse(wmf::Bits(original));
    EXPECT_EQ(wmf::Rectangles(copy), wmf::Rectangles(first)) << wmf::Describe(copy);
    DeleteMetaFile(original);
}

TEST(GdiClipboard, MetafilePictureRoundTrip)
{
    HMETAFILE mf = Recorded(Draw);
    const std::vector<uint8_t> bits = wmf::Bits(mf);
    ASSERT_TRUE(OpenClipboard(GetFocus()));
    EXPECT_TRUE(EmptyClipboard());
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, sizeof(METAFILEPICT));
    ASSERT_NE(block, nullptr);
    auto* picture = static_cast<METAFILEPICT*>(GlobalLock(block));
    *picture = {MM_ANISOTROPIC, 5000, -2500, mf};
    GlobalUnlock(block);
    EXPECT_EQ(SetClipboardData(CF_METAFILEPICT, block), block);
    EXPECT_TRUE(CloseClipboard());

    EXPECT_TRUE(IsClipboardFormatAvailable(CF_METAFILEPICT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_METAFILEPICT);
    ASSERT_NE(data, nullptr);
    const auto* read = static_cast<const METAFILEPICT*>(GlobalLock(data));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->mm, MM_ANISOTROPIC);
    EXPECT_EQ(read->xExt, 5000);
    EXPECT_EQ(read->yExt, -2500);
    EXPECT_EQ(wmf::Bits(read->hMF), bits);
    GlobalUnlock(data);
    EXPECT_TRUE(EmptyClipboard()) << "the clipboard frees the block and its metafile";
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_METAFILEPICT));
    EXPECT_EQ(GetClipboardData(CF_METAFILEPICT), nullptr);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard()) << "closed already";
}

TEST(GdiClipboard, ReplacingThePictureFreesTheOldOne)
{
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, sizeof(METAFILEPICT));
        auto* picture = static_cast<METAFILEPICT*>(GlobalLock(block));
        *picture = {MM_ANISOTROPIC, round, round, Recorded(Draw)};
        GlobalUnlock(block);
        SetClipboardData(CF_METAFILEPICT, block);
        CloseClipboard();
    }
    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto* picture = static_cast<const METAFILEPICT*>(GlobalLock(GetClipboardData(CF_METAFILEPICT)));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->xExt, 2);
    GlobalUnlock(GetClipboardData(CF_METAFILEPICT));
    EmptyClipboard();
    CloseClipboard();
}

TEST(GdiKernel, MulDivRoundsHalvesAwayFromZero)
{
    struct Case {
        int a, b, c, expected;
    } cases[] = {
        {8, 300, 64, 38},       // 37.5
        {8, 100, 64, 13},       // 12.5
        {-8, 100, 64, -13},     // -12.5
        {8, -100, 64, -13},
        {8, 100, -64, -13},
        {-8, 100, -64, 13},
        {7, 10, 3, 23},         // 23.33
        {5, 1, 3, 2},           // 1.67
        {1, 1, 0, -1},          // division by zero
        {0, 5, 0, -1},
        {INT_MAX, 2, 2, INT_MAX}, // 64-bit product
        {INT_MAX, 2, 1, -1},    // overflow
        {INT_MIN, 1, 1, -1},    // outside -INT_MAX .. INT_MAX: refused too
        {INT_MIN, -1, 1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

TEST(GdiKernel, StringCopiesStayTerminated)
{
    struct Case {
        const char* source;
        int limit;
        const char* expected;
    } cases[] = {
        {"4006381333931", 70, "4006381333931"},
        {"4006381333931", 5, "4006"},
        {"abc", 1, ""},
        {"abc", 4, "abc"},
        {"", 3, ""},
    };
    for (const Case& c : cases) {
        char buffer[80];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(lstrcpynA(buffer, c.source, c.limit), buffer);
        EXPECT_STREQ(buffer, c.expected) << c.source << " limit " << c.limit;
    }
    char untouched[4] = {'X', 'X', 'X', 0};
    lstrcpynA(untouched, "abc", 0);
    EXPECT_STREQ(untouched, "XXX") << "a limit of 0 writes nothing";
    EXPECT_EQ(lstrlenA("\xFC\xE4"), 2);
    EXPECT_EQ(lstrlenA(nullptr), 0);
    char formatted[32];
    EXPECT_EQ(wsprintfA(formatted, "%s-%d-%c", "ISBN", 42, 'X'), 9);
    EXPECT_STREQ(formatted, "ISBN-42-X");
}

TEST(GdiKernel, FilesAndMemoryFailHonestly)
{
    EXPECT_EQ(_lcreat(LUMTAR_TEST_BINARY_DIR "/no/such/dir/x.wmf", 0), HFILE_ERROR);
    const std::string path = LUMTAR_TEST_BINARY_DIR "/gdi_kernel_file.bin";
    HFILE file = _lcreat(path.c_str(), 0);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_lwrite(file, "0123456789", 10), 10u);
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, ~SIZE_T(0) / 2), nullptr);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 48);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 48u);
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::count(bytes, bytes + 48, 0), 48);
    GlobalUnlock(block);
    EXPECT_EQ(GlobalFree(block), nullptr);
#ifndef _WIN32
    // A device that takes nothing: the short count is reported as a failure.
    HFILE full = _lcreat("/dev/full", 0);
    if (full != HFILE_ERROR) {
        EXPECT_EQ(_lwrite(full, "0123456789", 10), static_cast<UINT>(HFILE_ERROR));
        _lclose(full);
    }
#endif
}

// Distinct DCs on distinct threads: every thread records the same bytes and
// paints the same pixels as a lone thread does.
TEST(GdiThreads, DistinctDcsInParallel)
{
    const std::vector<uint8_t> bits = [] {
        HMETAFILE mf = Recorded(Draw);
        auto b = wmf::Bits(mf);
        DeleteMetaFile(mf);
        return b;
    }();
    Canvas reference(W, H);
    Draw(reference.dc());
    const auto pixels = reference.Pixels();
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                HMETAFILE mf = Recorded(Draw);
                failures[t] += wmf::Bits(mf) != bits;
                DeleteMetaFile(mf);
                Canvas canvas(W, H);
                Draw(canvas.dc());
                failures[t] += canvas.Pixels() != pixels;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

#ifndef _WIN32
// One metafile DC drawn into from four threads at once: the native layer's
// DC lock keeps every record whole while the room for them grows, and each
// call is recorded once. (Wine's recorder does not take such concurrency.)
TEST(GdiThreads, OneMetafileDcFromFourThreads)
{
    constexpr int Threads = 4, Calls = 2000;
    HDC dc = CreateMetaFileA(nullptr);
    ASSERT_NE(dc, nullptr);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([=, &ready] {
            for (++ready; ready < Threads;) std::this_thread::yield(); // all start together
            for (int i = 0; i < Calls; ++i) Rectangle(dc, t, i, t + 10, i + 10);
        });
    for (auto& t : threads) t.join();
    const wmf::Metafile mf = wmf::CloseAndParse(dc);
    ASSERT_EQ(mf.error, "");
    EXPECT_EQ(mf.sizeWords, mf.bytes.size() / 2);
    EXPECT_EQ(mf.maxRecord, 7u);
    std::vector<int> seen(Threads * Calls, 0);
    for (const wmf::Record& r : mf.records) {
        if (!wmf::IsRectangle(r)) continue;
        const wmf::Rect rect = wmf::AsRectangle(r);
        if (rect.left >= 0 && rect.left < Threads && rect.top >= 0 && rect.top < Calls) ++seen[rect.left * Calls + rect.top];
    }
    EXPECT_EQ(seen, std::vector<int>(Threads * Calls, 1));
    EXPECT_EQ(mf.records.size(), Threads * Calls + 1u); // and the EOF record
}
#endif

} // namespace
