/* An enhanced metafile played by Windows' (or Wine's) own GDI onto a white
 * 24-bit bitmap at the frame's size and the given resolution, stored as BMP:
 * playemf in.emf out.bmp dpi. Prints the frame (0.01 mm). */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 4) return 2;
    HENHMETAFILE emf = GetEnhMetaFileA(argv[1]);
    ENHMETAHEADER h;
    if (!emf || !GetEnhMetaFileHeader(emf, sizeof h, &h)) return 1;
    printf("frame %ld %ld %ld %ld\n", h.rclFrame.left, h.rclFrame.top, h.rclFrame.right, h.rclFrame.bottom);
    const int dpi = atoi(argv[3]);
    const int w = (int)((h.rclFrame.right - h.rclFrame.left) * dpi / 2540), ht = (int)((h.rclFrame.bottom - h.rclFrame.top) * dpi / 2540);
    BITMAPINFO bi = {{sizeof(BITMAPINFOHEADER), w, ht, 1, 24, BI_RGB, 0, 0, 0, 0, 0}};
    HDC dc = CreateCompatibleDC(NULL);
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!dc || !bitmap) return 1;
    SelectObject(dc, bitmap);
    RECT r = {0, 0, w, ht};
    FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    if (!PlayEnhMetaFile(dc, emf, &r)) return 1;
    GdiFlush();
    const DWORD size = (DWORD)((w * 3 + 3) & ~3) * ht;
    BITMAPFILEHEADER fh = {0x4D42, 54 + size, 0, 0, 54};
    FILE* f = fopen(argv[2], "wb");
    if (!f) return 1;
    fwrite(&fh, 14, 1, f);
    fwrite(&bi.bmiHeader, 40, 1, f);
    fwrite(bits, size, 1, f);
    return fclose(f) != 0;
}
