// Bar2HdcEx over arbitrary text, rectangle, font, mask and element widths,
// into a memory metafile and into a small monochrome bitmap; the metafile is
// then played into the bitmap. Whatever the arguments, the call returns 0 or
// 1 and gives the caller's brush, pen and font back.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "lumtar32.h"
#include "lumtar32_gdi.h"

namespace {

// Values where arithmetic on coordinates and sizes turns over: the limits of
// int, of GDI's coordinate space (2^27) and of the metafile's 16-bit fields.
constexpr int Edges[] = {0, 1, -1, 2, 3, 64, 100, 300, 32767, 32768, -32768, 65535, 65536,
                         134217727, 134217728, -134217727, -134217728, 0x3FFFFFFF, INT_MAX, INT_MIN, INT_MAX - 1,
                         INT_MIN + 1};

int Pick(FuzzedDataProvider& in)
{
    if (in.ConsumeBool()) return Edges[in.ConsumeIntegralInRange<size_t>(0, std::size(Edges) - 1)];
    return in.ConsumeIntegral<int>();
}

// The caller's objects, to see that they come back.
struct CallerObjects {
    HGDIOBJ brush, pen, font;
};

CallerObjects SelectCallerObjects(HDC dc, HFONT font)
{
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(WHITE_PEN));
    SelectObject(dc, font);
    return {GetStockObject(WHITE_BRUSH), GetStockObject(WHITE_PEN), font};
}

// Selecting stock objects hands back what was selected before.
void CheckCallerObjects(HDC dc, const CallerObjects& objects)
{
    if (SelectObject(dc, GetStockObject(NULL_BRUSH)) != objects.brush) __builtin_trap();
    if (SelectObject(dc, GetStockObject(NULL_PEN)) != objects.pen) __builtin_trap();
    if (SelectObject(dc, GetStockObject(SYSTEM_FONT)) != objects.font) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const RECT rect{Pick(in), Pick(in), Pick(in), Pick(in)};
    const int types = in.ConsumeBool() ? BarTypAll : in.ConsumeIntegral<int>();
    const int narrow = Pick(in);
    const int wide = Pick(in);

    LOGFONTA logFont{};
    const LOGFONTA* font = BarFontDefault;
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: font = BarFontDefault; break;
    case 1: font = BarFontNone; break;
    case 2: font = BarFontBold; break;
    default: {
        // Any 60 bytes, face included (no terminator needed); heights and
        // escapements from the edges half of the time.
        const std::string bytes = in.ConsumeBytesAsString(sizeof logFont);
        std::memcpy(&logFont, bytes.data(), bytes.size());
        if (in.ConsumeBool()) logFont.lfHeight = Pick(in);
        if (in.ConsumeBool()) logFont.lfEscapement = Pick(in);
        font = &logFont;
    }
    }
    const int bitmapWidth = in.ConsumeIntegralInRange(1, 96);
    const int bitmapHeight = in.ConsumeIntegralInRange(1, 96);
    const std::string text = in.ConsumeRemainingBytesAsString();

    LOGFONTA callerLogFont{};
    callerLogFont.lfHeight = 12;
    std::strcpy(callerLogFont.lfFaceName, "Arial");
    HFONT callerFont = CreateFontIndirectA(&callerLogFont);

    // A memory metafile.
    HDC meta = CreateMetaFileA(nullptr);
    if (!meta) __builtin_trap();
    CallerObjects objects = SelectCallerObjects(meta, callerFont);
    const int recorded = Bar2HdcEx(meta, text.c_str(), &rect, font, types, narrow, wide);
    if (recorded != 0 && recorded != 1) __builtin_trap();
    CheckCallerObjects(meta, objects);
    HMETAFILE metafile = CloseMetaFile(meta);
    if (!metafile || GetMetaFileBitsEx(metafile, 0, nullptr) < 18) __builtin_trap();

    // A monochrome bitmap, drawn into directly, then with the metafile played on top.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(bitmapWidth, bitmapHeight, 1, 1, nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, bitmapWidth, bitmapHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    objects = SelectCallerObjects(dc, callerFont);
    const int drawn = Bar2HdcEx(dc, text.c_str(), &rect, font, types, narrow, wide);
    if (drawn != recorded) __builtin_trap(); // the device does not change the outcome
    CheckCallerObjects(dc, objects);
    PlayMetaFile(dc, metafile);

    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DeleteMetaFile(metafile);
    DeleteObject(callerFont);
    return 0;
}
