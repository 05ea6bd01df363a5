/* A C caller that knows nothing but the public headers and the shipped
 * library (the import library on Windows): it draws into a metafile and into
 * a monochrome bitmap, reads both back, and uses the text functions. Exits
 * non-zero, naming the check, on the first failure. */
#include <stdio.h>
#include <string.h>

#include "lumtar32.h"
#include "lumtar32_gdi.h"

static int failures = 0;
#define CHECK(condition)                                             \
    do {                                                             \
        if (!(condition)) {                                          \
            fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                              \
        }                                                            \
    } while (0)

int main(void)
{
    RECT rect;
    HDC dc;
    HMETAFILE metafile;
    HBITMAP bitmap;
    HGDIOBJ previous;
    UINT size;
    unsigned char bits[4096];
    unsigned char rows[28 * 64]; /* rows padded to 32 bits: 28 bytes */
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info;
    char out[19];
    int x, bars = 0, wasBlack = 0;
    LOGFONTA font;

    CHECK(sizeof(RECT) == 16);
    CHECK(sizeof(LOGFONTA) == 60);

    /* A metafile: the frame's records end with the EOF record. */
    dc = CreateMetaFileA(NULL);
    CHECK(dc != NULL);
    SetRect(&rect, 0, 0, 1070, 400);
    CHECK(Bar2Hdc(dc, "4006381333931", &rect, BarFontDefault, BarTypAll) == 1);
    metafile = CloseMetaFile(dc);
    size = GetMetaFileBitsEx(metafile, 0, NULL);
    CHECK(size > 18 && size <= sizeof bits);
    if (size <= sizeof bits) {
        CHECK(GetMetaFileBitsEx(metafile, size, bits) == size);
        CHECK(bits[0] == 1 && bits[2] == 9);                                   /* memory metafile, 9-word header */
        CHECK(bits[size - 6] == 3 && bits[size - 2] == 0 && bits[size - 1] == 0); /* EOF record */
    }
    DeleteMetaFile(metafile);

    /* A bitmap: an EAN-13 at one unit per module has its start guard at modules 8 and 10. */
    dc = CreateCompatibleDC(NULL);
    bitmap = CreateBitmap(214, 64, 1, 1, NULL);
    previous = SelectObject(dc, bitmap);
    SetRect(&rect, 0, 0, 214, 64);
    FillRect(dc, &rect, (HBRUSH)GetStockObject(WHITE_BRUSH));
    memset(&font, 0, sizeof font);
    font.lfHeight = 8;
    strcpy(font.lfFaceName, "Courier New");
    CHECK(Bar2HdcEx(dc, "4006381333931", &rect, &font, BarTypEan13, 0, 0) == 1);
    memset(&info, 0, sizeof info);
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 214;
    info.header.biHeight = 64;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    CHECK(GetDIBits(dc, bitmap, 0, 64, rows, (BITMAPINFO*)&info, DIB_RGB_COLORS) == 64);
    /* The top row is stored last; bit 0 is black. */
    for (x = 0; x < 214; ++x) {
        const unsigned char* top = rows + 63 * 28;
        const int isBlack = !(top[x / 8] & (0x80 >> (x % 8)));
        bars += isBlack && !wasBlack;
        wasBlack = isBlack;
        if (x >= 16 && x < 18) CHECK(isBlack);  /* start guard, first bar */
        if (x >= 18 && x < 20) CHECK(!isBlack); /* and its space */
    }
    CHECK(bars == 30); /* three guards of two bars, twelve digits of two */
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);

    /* Text functions and names. */
    CHECK(BarCodeTyp("123456789X", BarTypAll) == BarTypIsbn);
    CHECK(strcmp(BarCodeName(BarTyp2aus5), "2 aus 5") == 0);
    CHECK(BarEanFromIsbn(out, "1-234567-89-X") == 1 && strcmp(out, "9781234567897") == 0);
    CHECK(BarIsbnFromEan(out, "9781234567897") == 1 && strcmp(out, "1-234567-89-X") == 0);

    if (failures) fprintf(stderr, "%d check(s) failed\n", failures);
    return failures != 0;
}
