// The clipboard output: the METAFILEPICT record read back with
// GetClipboardData, and the picture's metafile, which starts with the fixed
// logical frame and then holds what the frame draws into (0, 0, 29800, 29800).
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lumtar32.h"
#include "support/wmf.h"

namespace {

struct Picture {
    bool present = false;
    LONG mm = 0, xExt = 0, yExt = 0;
    wmf::Metafile metafile;
};

// What the clipboard holds as CF_METAFILEPICT now; the clipboard keeps it.
Picture ReadClipboard()
{
    Picture p;
    if (!OpenClipboard(nullptr)) return p;
    if (HANDLE data = GetClipboardData(CF_METAFILEPICT)) {
        if (const auto* pict = static_cast<const METAFILEPICT*>(GlobalLock(data))) {
            p.present = true;
            p.mm = pict->mm;
            p.xExt = pict->xExt;
            p.yExt = pict->yExt;
            p.metafile = wmf::Parse(wmf::Bits(pict->hMF));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return p;
}

void ClearClipboard()
{
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// The records the frame alone draws for the clipboard's rectangle.
std::vector<wmf::Record> FrameRecords(const char* text, const LOGFONTA* font, int types, int narrow, int wide)
{
    HDC dc = CreateMetaFileA(nullptr);
    const RECT rect{0, 0, 29800, 29800};
    Bar2HdcEx(dc, text, &rect, font, types, narrow, wide);
    return wmf::CloseAndParse(dc).records;
}

std::string Describe(const std::vector<wmf::Record>& records, std::size_t from)
{
    std::string s;
    for (std::size_t i = from; i < records.size(); ++i) s += wmf::Describe(records[i]) + "\n";
    return s;
}

struct ClipCase {
    const char* what;
    const char* text;
    const LOGFONTA* font;
    int xExt, yExt, types, narrow, wide;
    int result;
};

TEST(Clipboard, PictureRecordAndMetafile)
{
    const ClipCase cases[] = {
        {"EAN-13", "4006381333931", BarFontDefault, 5000, 2500, BarTypAll, 0, 0, 1},
        {"sizes of 0 pass unchanged", "4006381333931", BarFontBold, 0, 0, BarTypAll, 0, 0, 1},
        {"negative sizes pass unchanged", "CODE 39", BarFontNone, -3000, -1000, BarTyp3aus9, 0, 0, 1},
        {"Interleaved 2 of 5 with caller's widths", "1234567890", BarFontDefault, 4000, 1000, BarTyp2aus5, 2, 5, 1},
        {"Code 39 with caller's widths", "ABC-123", BarFontNone, 4000, 1000, BarTyp3aus9, 1, 2, 1},
        {"no type fits: the marker replaces the clipboard", "4006381333932", BarFontDefault, 5000, 2500, BarTypEan13, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearClipboard();
        EXPECT_EQ(BarToClipboardEx(c.text, c.font, c.xExt, c.yExt, c.types, c.narrow, c.wide), c.result);
        const Picture p = ReadClipboard();
        ASSERT_TRUE(p.present) << "no CF_METAFILEPICT on the clipboard";
        EXPECT_EQ(p.mm, MM_ANISOTROPIC);
        EXPECT_EQ(p.xExt, c.xExt);
        EXPECT_EQ(p.yExt, c.yExt);
        const auto& records = p.metafile.records;
        ASSERT_EQ(p.metafile.error, "") << wmf::Describe(p.metafile);
        ASSERT_GE(records.size(), 4u);
        EXPECT_EQ(wmf::Describe(records[0]), "SETMAPMODE 8");
        EXPECT_EQ(wmf::Describe(records[1]), "SETWINDOWEXT 29999 29999");
        EXPECT_EQ(wmf::Describe(records[2]), "SETWINDOWORG -100 -100");
        EXPECT_TRUE(Describe(records, 3) == Describe(FrameRecords(c.text, c.font, c.types, c.narrow, c.wide), 0))
            << "the picture's drawing is not the frame's in (0, 0, 29800, 29800)";
        if (c.result == 0) {
            const auto texts = wmf::Texts(p.metafile);
            ASSERT_EQ(texts.size(), 1u);
            EXPECT_EQ(texts[0].chars, "UNGUELTIG");
        }
    }
}

TEST(Clipboard, SymbolIsUprightInTheSquare)
{
    ASSERT_EQ(BarToClipboard("4006381333931", BarFontNone, 5000, 2500, BarTypAll), 1);
    const auto rects = wmf::Rectangles(ReadClipboard().metafile);
    ASSERT_FALSE(rects.empty());
    for (const auto& r : rects) {
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, 29800);
        EXPECT_LT(r.right - r.left, r.bottom - r.top) << "bars stand upright";
    }
}

TEST(Clipboard, PlainFormIsTheExtendedOneWithDefaultWidths)
{
    for (const char* text : {"1234567890", "CODE-39", "4006381333931"}) {
        ASSERT_EQ(BarToClipboard(text, BarFontDefault, 3000, 1000, BarTypAll), 1) << text;
        const std::vector<uint8_t> plain = ReadClipboard().metafile.bytes;
        ASSERT_EQ(BarToClipboardEx(text, BarFontDefault, 3000, 1000, BarTypAll, 0, 0), 1) << text;
        EXPECT_TRUE(plain == ReadClipboard().metafile.bytes) << text;
        ASSERT_EQ(BarToClipboardEx(text, BarFontDefault, 3000, 1000, BarTypAll, 1, 3), 1) << text;
        EXPECT_TRUE(plain == ReadClipboard().metafile.bytes) << text;
    }
}

TEST(Clipboard, NoTextLeavesTheClipboardAlone)
{
    ASSERT_EQ(BarToClipboard("4006381333931", BarFontNone, 100, 100, BarTypAll), 1);
    EXPECT_EQ(BarToClipboardEx(nullptr, BarFontNone, 200, 200, BarTypAll, 0, 0), 0);
    EXPECT_EQ(BarToClipboard(nullptr, BarFontNone, 200, 200, BarTypAll), 0);
    const Picture p = ReadClipboard();
    ASSERT_TRUE(p.present);
    EXPECT_EQ(p.xExt, 100);
}

#ifndef _WIN32
// Another thread holds the clipboard open: the call still reports the
// drawing and the clipboard keeps what it held. Native only:
// Wine lets a second thread of the process in when neither names a window,
// and without a display there is no window to name.
TEST(Clipboard, HeldOpenElsewhere)
{
    ASSERT_EQ(BarToClipboard("4006381333931", BarFontNone, 111, 222, BarTypAll), 1);

    std::mutex m;
    std::condition_variable cv;
    int stage = 0; // 1: the other thread holds it open, 2: it may close it
    bool opened = false;
    std::thread holder([&] {
        opened = OpenClipboard(nullptr);
        std::unique_lock<std::mutex> lock(m);
        stage = 1;
        cv.notify_all();
        cv.wait(lock, [&] { return stage == 2; });
        if (opened) CloseClipboard();
    });
    {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return stage == 1; });
    }
    ASSERT_TRUE(opened);
    EXPECT_EQ(BarToClipboard("CODE 39", BarFontDefault, 333, 444, BarTypAll), 1);
    EXPECT_EQ(BarToClipboard("4006381333932", BarFontDefault, 333, 444, BarTypEan13), 0);
    {
        std::lock_guard<std::mutex> lock(m);
        stage = 2;
    }
    cv.notify_all();
    holder.join();

    const Picture p = ReadClipboard();
    ASSERT_TRUE(p.present);
    EXPECT_EQ(p.xExt, 111);
    EXPECT_EQ(p.yExt, 222);
}
#endif

} // namespace
