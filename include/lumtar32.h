/*
 * lumtar32.h - barcode rendering library: the exported functions.
 *
 * lumtar32.dll (32-bit Windows, stdcall, undecorated names, fixed ordinals)
 * and liblumtar32.so export the same ten functions. A text is checked against
 * a mask of code types; the first type that fits is drawn onto a device
 * context, into a placeable metafile file, a monochrome BMP file or onto the
 * clipboard.
 */
#ifndef LUMTAR32_H
#define LUMTAR32_H

#include "lumtar32_gdi.h"

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
#define BarFontDefault ((const LOGFONTA*)0)
#define BarFontNone ((const LOGFONTA*)1)
#define BarFontBold ((const LOGFONTA*)2)

/* Results of BarToWmf and BarToBmp */
#define BarOk 0
#define BarErrCode 1
#define BarErrFile 2
#define BarErrGdi 3

/* Drawing: 1 when a symbol was drawn, 0 when the text fits none of the types. */
LUMTAR_EXPORT int LUMTAR_CALL Bar2Hdc(HDC hdc, const char* text, const RECT* rect, const LOGFONTA* font, int types);
LUMTAR_EXPORT int LUMTAR_CALL Bar2HdcEx(HDC hdc, const char* text, const RECT* rect, const LOGFONTA* font, int types,
                                        int narrow, int wide);

/* Files: BarOk, BarErrCode, BarErrFile or BarErrGdi. */
LUMTAR_EXPORT int LUMTAR_CALL BarToWmf(const char* path, const char* text, const LOGFONTA* font, int width, int height,
                                       int types);
LUMTAR_EXPORT int LUMTAR_CALL BarToBmp(const char* path, const char* text, const LOGFONTA* font, int pixelWidth,
                                       int pixelHeight, int physWidth, int physHeight, int types);

/* Clipboard (CF_METAFILEPICT): the drawing result. */
LUMTAR_EXPORT int LUMTAR_CALL BarToClipboard(const char* text, const LOGFONTA* font, int xExt, int yExt, int types);
LUMTAR_EXPORT int LUMTAR_CALL BarToClipboardEx(const char* text, const LOGFONTA* font, int xExt, int yExt, int types,
                                               int narrow, int wide);

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
