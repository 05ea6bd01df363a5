/*
 * lumtar32_gdi.h - the Windows graphics, clipboard, memory and file operations
 * that lumtar32 draws and stores through.
 *
 * On Windows this is <windows.h>. Elsewhere liblumtar32.so carries its own
 * implementation of the same subset under the same names and types, so that
 * code written against <windows.h> for these calls compiles unchanged: create
 * a metafile or a monochrome bitmap DC, draw on it, read back its bytes.
 * The records keep their Windows sizes: LONG and DWORD are 32 bits, RECT is
 * 16 bytes and LOGFONTA 60.
 */
#ifndef LUMTAR32_GDI_H
#define LUMTAR32_GDI_H

#ifdef _WIN32
#include <windows.h>
#else

#include <stddef.h>
#include <stdint.h>

#if defined(LUMTAR_BUILD)
#define LUMTAR_GDI_API __attribute__((visibility("default")))
#else
#define LUMTAR_GDI_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define WINAPI
#define CALLBACK
#define CONST const

typedef int32_t LONG;
typedef uint32_t DWORD;
typedef uint32_t ULONG;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int16_t SHORT;
typedef int INT;
typedef unsigned int UINT;
typedef int BOOL;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef const char* LPCCH;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef size_t SIZE_T;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uint32_t COLORREF;

typedef void* HANDLE;
typedef void* HGDIOBJ;
typedef void* HGLOBAL;
typedef struct HDC__* HDC;
typedef struct HFONT__* HFONT;
typedef struct HBRUSH__* HBRUSH;
typedef struct HPEN__* HPEN;
typedef struct HBITMAP__* HBITMAP;
typedef struct HMETAFILE__* HMETAFILE;
typedef struct HWND__* HWND;
typedef int HFILE;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define HFILE_ERROR ((HFILE)-1)
#define GDI_ERROR 0xFFFFFFFFu
#define CLR_INVALID 0xFFFFFFFFu

typedef struct tagRECT { LONG left, top, right, bottom; } RECT, *PRECT, *LPRECT;
typedef const RECT* LPCRECT;
typedef struct tagPOINT { LONG x, y; } POINT, *LPPOINT;
typedef struct tagSIZE { LONG cx, cy; } SIZE, *LPSIZE;

#define LF_FACESIZE 32
typedef struct tagLOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;

typedef struct tagMETAFILEPICT {
    LONG mm;
    LONG xExt;
    LONG yExt;
    HMETAFILE hMF;
} METAFILEPICT, *LPMETAFILEPICT;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO, *LPBITMAPINFO;

/* Stock objects */
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

/* Mapping modes */
#define MM_TEXT 1
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

/* Text alignment */
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24

/* Raster operations of PatBlt */
#define PATCOPY 0x00F00021u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u

/* Background modes */
#define TRANSPARENT 1
#define OPAQUE 2

/* Fonts */
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1

/* Bitmaps */
#define BI_RGB 0
#define DIB_RGB_COLORS 0

/* Global memory */
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_DDESHARE 0x2000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

/* Clipboard */
#define CF_TEXT 1
#define CF_METAFILEPICT 3

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))

/* Device contexts and objects */
LUMTAR_GDI_API HGDIOBJ WINAPI GetStockObject(int object);
LUMTAR_GDI_API HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object);
LUMTAR_GDI_API BOOL WINAPI DeleteObject(HGDIOBJ object);
LUMTAR_GDI_API HFONT WINAPI CreateFontIndirectA(const LOGFONTA* logfont);
LUMTAR_GDI_API HDC WINAPI CreateCompatibleDC(HDC hdc);
LUMTAR_GDI_API BOOL WINAPI DeleteDC(HDC hdc);
LUMTAR_GDI_API HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
LUMTAR_GDI_API int WINAPI GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info, UINT usage);

/* Drawing state */
LUMTAR_GDI_API UINT WINAPI SetTextAlign(HDC hdc, UINT align);
LUMTAR_GDI_API UINT WINAPI GetTextAlign(HDC hdc);
LUMTAR_GDI_API COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
LUMTAR_GDI_API COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);
LUMTAR_GDI_API int WINAPI SetBkMode(HDC hdc, int mode);
LUMTAR_GDI_API int WINAPI SetMapMode(HDC hdc, int mode);
LUMTAR_GDI_API BOOL WINAPI SetWindowExtEx(HDC hdc, int x, int y, LPSIZE old);
LUMTAR_GDI_API BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old);
LUMTAR_GDI_API BOOL WINAPI SetViewportExtEx(HDC hdc, int x, int y, LPSIZE old);
LUMTAR_GDI_API BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old);

/* Drawing */
LUMTAR_GDI_API BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom);
LUMTAR_GDI_API int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
LUMTAR_GDI_API BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom);
LUMTAR_GDI_API BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
LUMTAR_GDI_API BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR chars, int count);

/* Metafiles */
LUMTAR_GDI_API HDC WINAPI CreateMetaFileA(LPCSTR path);
LUMTAR_GDI_API HMETAFILE WINAPI CloseMetaFile(HDC hdc);
LUMTAR_GDI_API UINT WINAPI GetMetaFileBitsEx(HMETAFILE metafile, UINT size, LPVOID bits);
LUMTAR_GDI_API HMETAFILE WINAPI SetMetaFileBitsEx(UINT size, const BYTE* bits);
LUMTAR_GDI_API BOOL WINAPI DeleteMetaFile(HMETAFILE metafile);
LUMTAR_GDI_API BOOL WINAPI PlayMetaFile(HDC hdc, HMETAFILE metafile);

/* Clipboard */
LUMTAR_GDI_API HWND WINAPI GetFocus(void);
LUMTAR_GDI_API BOOL WINAPI OpenClipboard(HWND owner);
LUMTAR_GDI_API BOOL WINAPI EmptyClipboard(void);
LUMTAR_GDI_API HANDLE WINAPI SetClipboardData(UINT format, HANDLE data);
LUMTAR_GDI_API HANDLE WINAPI GetClipboardData(UINT format);
LUMTAR_GDI_API BOOL WINAPI IsClipboardFormatAvailable(UINT format);
LUMTAR_GDI_API BOOL WINAPI CloseClipboard(void);

/* Global memory */
LUMTAR_GDI_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
LUMTAR_GDI_API LPVOID WINAPI GlobalLock(HGLOBAL mem);
LUMTAR_GDI_API BOOL WINAPI GlobalUnlock(HGLOBAL mem);
LUMTAR_GDI_API SIZE_T WINAPI GlobalSize(HGLOBAL mem);
LUMTAR_GDI_API HGLOBAL WINAPI GlobalFree(HGLOBAL mem);

/* Files */
LUMTAR_GDI_API HFILE WINAPI _lcreat(LPCSTR path, int attribute);
LUMTAR_GDI_API UINT WINAPI _lwrite(HFILE file, LPCCH buffer, UINT count);
LUMTAR_GDI_API HFILE WINAPI _lclose(HFILE file);

/* Text and arithmetic */
LUMTAR_GDI_API int WINAPI MulDiv(int number, int numerator, int denominator);
LUMTAR_GDI_API LPSTR WINAPI lstrcpynA(LPSTR dest, LPCSTR src, int max);
LUMTAR_GDI_API LPSTR WINAPI lstrcpyA(LPSTR dest, LPCSTR src);
LUMTAR_GDI_API int WINAPI lstrlenA(LPCSTR text);
LUMTAR_GDI_API int wsprintfA(LPSTR out, LPCSTR format, ...);

#ifdef __cplusplus
}
#endif

#endif /* !_WIN32 */
#endif /* LUMTAR32_GDI_H */
