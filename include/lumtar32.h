/*
 * lumtar32.h - barcode rendering library: the exported functions.
 *
 * lumtar32.dll (32-bit Windows, stdcall, undecorated names, fixed ordinals)
 * and liblumtar32.so export the same ten functions. A text is checked against
 * a mask of code types; the first type that fits is drawn onto a device
 * context, into a placeable metafile file, a monochrome BMP file or onto the
 * clipboard.
 *
 * This header stands alone: it names the device context, the rectangle and
 * the font by their structure tags (struct HDC__, struct tagRECT, struct
 * tagLOGFONTA, as <windows.h> declares them) and defines no Windows type
 * names, so it lives beside <windows.h> (before or after it), X11 or any
 * other library. Callers that draw on a device context themselves include
 * lumtar32_gdi.h (on Windows, <windows.h>) for HDC, RECT, LOGFONTA and the
 * graphics calls.
 */
#ifndef LUMTAR32_H
#define LUMTAR32_H

#include "lumtar32_version.h"

#ifdef _WIN32
#define LUMTAR_CALL __stdcall
#define LUMTAR_EXPORT
#else
#define LUMTAR_CALL
#if defined(LUMTAR_BUILD)
#define LUMTAR_EXPORT __attribute__((visibility("default")))
#else
#define LUMTAR_EXPORT
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The Windows structures the exports take, by tag (lumtar32_formats.h also
 * takes metafile and bitmap handles). */
struct HDC__;
struct HMETAFILE__;
struct HBITMAP__;
struct tagRECT;
struct tagLOGFONTA;

/* Code types: single bits, combined into a mask. Flags are tried lowest first. */
#define BarTypIsbn 1
#define BarTypEan13 2
#define BarTypEan8 4
#define BarTypUpc12 8
#define BarTypEan5 16
#define BarTypEan2 32
#define BarTyp2aus5 64
#define BarTypCodabar 128
#define BarTyp3aus9 256
#define BarTypAll 511

/* Font argument of the drawing functions: one of these, or the address of a LOGFONTA. */
#define BarFontDefault ((const struct tagLOGFONTA*)0)
#define BarFontNone ((const struct tagLOGFONTA*)1)
#define BarFontBold ((const struct tagLOGFONTA*)2)

/* Results of BarToWmf and BarToBmp */
#define BarOk 0
#define BarErrCode 1
#define BarErrFile 2
#define BarErrGdi 3

/* Drawing: 1 when a symbol was drawn, 0 when the text fits none of the types. */
LUMTAR_EXPORT int LUMTAR_CALL Bar2Hdc(struct HDC__* hdc, const char* text, const struct tagRECT* rect,
                                      const struct tagLOGFONTA* font, int types);
LUMTAR_EXPORT int LUMTAR_CALL Bar2HdcEx(struct HDC__* hdc, const char* text, const struct tagRECT* rect,
                                        const struct tagLOGFONTA* font, int types, int narrow, int wide);

/* Files: BarOk, BarErrCode, BarErrFile or BarErrGdi. */
LUMTAR_EXPORT int LUMTAR_CALL BarToWmf(const char* path, const char* text, const struct tagLOGFONTA* font, int width,
                                       int height, int types);
LUMTAR_EXPORT int LUMTAR_CALL BarToBmp(const char* path, const char* text, const struct tagLOGFONTA* font,
                                       int pixelWidth, int pixelHeight, int physWidth, int physHeight, int types);

/* Clipboard (CF_METAFILEPICT): the drawing result. */
LUMTAR_EXPORT int LUMTAR_CALL BarToClipboard(const char* text, const struct tagLOGFONTA* font, int xExt, int yExt,
                                             int types);
LUMTAR_EXPORT int LUMTAR_CALL BarToClipboardEx(const char* text, const struct tagLOGFONTA* font, int xExt, int yExt,
                                               int types, int narrow, int wide);

/* Detection and names */
LUMTAR_EXPORT int LUMTAR_CALL BarCodeTyp(const char* text, int types);
LUMTAR_EXPORT const char* LUMTAR_CALL BarCodeName(int type);

/* ISBN-10 <-> EAN-13. isbnOut holds at least 15 bytes, eanOut at least 19. */
LUMTAR_EXPORT int LUMTAR_CALL BarIsbnFromEan(char* isbnOut, const char* ean);
LUMTAR_EXPORT int LUMTAR_CALL BarEanFromIsbn(char* eanOut, const char* isbn);

#ifdef __cplusplus
}
#endif

#endif /* LUMTAR32_H */
