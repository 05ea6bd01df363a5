// Drawing calls on distinct device contexts may run at once: eight threads
// draw all nine symbologies, each into bitmaps of its own, and every bitmap
// equals a single-threaded rendering of the same call.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "lumtar32.h"
#include "lumtar32_gdi.h"

namespace {

struct Job {
    const char* text;
    int width, height; // higher than wide draws turned
    const LOGFONTA* font;
};

const Job Jobs[] = {
    {"123456789X", 420, 260, BarFontDefault},   // ISBN
    {"4006381333931", 330, 120, BarFontBold},   // EAN-13
    {"96385074", 90, 240, BarFontDefault},      // EAN-8, turned
    {"03600029145", 300, 110, BarFontNone},     // UPC-A
    {"52495", 160, 80, BarFontDefault},         // EAN-5
    {"34", 70, 60, BarFontDefault},             // EAN-2
    {"12345678", 80, 300, BarFontDefault},      // Interleaved 2 of 5, turned
    {"A40156B", 260, 90, BarFontDefault},       // Codabar
    {"CODE 39", 400, 100, BarFontBold},         // Code 39
};

std::vector<uint8_t> Render(const Job& job)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(job.width, job.height, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT r;
    SetRect(&r, 0, 0, job.width, job.height);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int drawn = Bar2Hdc(dc, job.text, &r, job.font, BarTypAll);

    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = job.width;
    info.header.biHeight = job.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    const int stride = (job.width + 31) / 32 * 4;
    std::vector<uint8_t> rows(static_cast<std::size_t>(stride) * job.height + 1);
    const int lines = GetDIBits(dc, bitmap, 0, job.height, rows.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    rows.back() = static_cast<uint8_t>(drawn == 1 && lines == job.height); // the outcome travels with the pixels
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return rows;
}

TEST(Threads, EightThreadsDrawWhatOneThreadDraws)
{
    std::vector<std::vector<uint8_t>> expected;
    for (const auto& job : Jobs) {
        expected.push_back(Render(job));
        ASSERT_EQ(expected.back().back(), 1) << job.text;
    }

    constexpr int Threads = 8;
    constexpr int Rounds = 6;
    std::atomic<int> mismatches{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&, t] {
            while (!go.load()) std::this_thread::yield();
            for (int round = 0; round < Rounds; ++round)
                for (std::size_t i = 0; i < std::size(Jobs); ++i) {
                    const std::size_t j = (i + t) % std::size(Jobs); // threads start on different symbols
                    if (Render(Jobs[j]) != expected[j]) ++mismatches;
                }
        });
    }
    go = true;
    for (auto& th : threads) th.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(Threads, DetectionAndConversionsFromManyThreads)
{
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                char out[19];
                if (BarCodeTyp("4006381333931", BarTypAll) != BarTypEan13) ++wrong;
                if (!BarEanFromIsbn(out, "1-234567-89-X") || std::strcmp(out, "9781234567897") != 0) ++wrong;
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace

// A font deleted on one thread while three others select it into DCs of
// their own: each selection either takes the font or fails as for any stale
// handle, and draws with it; none reaches a deleted object (the sanitizer
// builds watch for that).
TEST(Threads, FontDeletedWhileOthersSelectIt)
{
    std::atomic<HGDIOBJ> last{nullptr};
    std::atomic<bool> done{false};
    std::thread maker([&] {
        LOGFONTA f{};
        f.lfHeight = 12;
        std::strcpy(f.lfFaceName, "Arial");
        for (int i = 0; i < 20000; ++i) {
            HGDIOBJ font = CreateFontIndirectA(&f);
            HGDIOBJ previous = last.exchange(font);
            if (previous) DeleteObject(previous);
        }
        done = true;
    });
    std::vector<std::thread> users;
    for (int t = 0; t < 3; ++t)
        users.emplace_back([&, t] {
            HDC dc = t == 2 ? CreateMetaFileA(nullptr) : CreateCompatibleDC(nullptr);
            HBITMAP bitmap = CreateBitmap(40, 20, 1, 1, nullptr);
            if (t != 2) SelectObject(dc, bitmap);
            for (int i = 0; !done; ++i)
                if (HGDIOBJ previous = SelectObject(dc, last.load())) {
                    if (i % 64 == 0) TextOutA(dc, 0, 0, "12", 2);
                    SelectObject(dc, previous);
                }
            if (t == 2) DeleteMetaFile(CloseMetaFile(dc));
            else DeleteDC(dc);
            DeleteObject(bitmap);
        });
    maker.join();
    for (auto& user : users) user.join();
    EXPECT_TRUE(DeleteObject(last.load()));
}

// DCs deleted on one thread while three others draw on the last one made:
// each call draws or fails as for any stale handle, and a thread's next call
// on a deleted DC fails too; none reaches a freed DC (the sanitizer builds
// watch for that).
TEST(Threads, DcDeletedWhileOthersDrawOnIt)
{
    std::atomic<HDC> last{nullptr};
    std::atomic<bool> done{false};
    std::thread maker([&] {
        for (int i = 0; i < 4000; ++i) {
            HDC dc = i % 2 ? CreateMetaFileA(nullptr) : CreateCompatibleDC(nullptr);
            if (HDC previous = last.exchange(dc)) DeleteDC(previous);
        }
        done = true;
    });
    std::vector<std::thread> users;
    for (int t = 0; t < 3; ++t)
        users.emplace_back([&] {
            while (!done) {
                HDC dc = last.load();
                Rectangle(dc, 0, 0, 5, 5);
                SetBkMode(dc, TRANSPARENT);
                TextOutA(dc, 0, 0, "7", 1);
                if (HGDIOBJ previous = SelectObject(dc, GetStockObject(BLACK_BRUSH))) SelectObject(dc, previous);
            }
        });
    maker.join();
    for (auto& user : users) user.join();
    HDC dc = last.load();
    EXPECT_TRUE(Rectangle(dc, 0, 0, 5, 5));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(Rectangle(dc, 0, 0, 5, 5)); // the DC kept for this thread's next call is not taken
}
