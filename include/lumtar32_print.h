/*
 * lumtar32_print.h - one call that prints a code with a style record: its
 * size by X-dimension or magnification, quiet zones and their < > marks, an
 * add-on beside its symbol, bar width reduction, ITF-14 with bearer bars, the
 * human-readable text, ink and paper, and a turn. Into a file or into the
 * caller's buffer.
 *
 * liblumtar32.so and lumtar32.dll export BarPrint and BarPrintToMemory, from
 * version 1.1, in every format of lumtar32_formats.h. This
 * header stands alone, as lumtar32.h does: include it instead of or beside it.
 *
 * The style record begins with its own size, so that it can grow: set size to
 * sizeof(BarPrintStyle) and clear the rest. A zeroed record draws exactly the
 * bytes of
 *   BarToFile(path, format, text, BarFontDefault, 5000, 2000, 0, 0, BarTypAll, 0, 0)
 * for WMF, SVG, PDF, EPS and EMF (a picture of 50 x 20 mm), and of
 *   BarToFile(path, format, text, BarFontDefault, 600, 240, 5080, 2032, BarTypAll, 0, 0)
 * for BMP, PNG and TIFF (600 x 240 pixels at 300 dpi).
 *
 * Lengths in the record are micrometres (0.001 mm), except the box and the
 * physical size (as BarToFile takes them: 0.01 mm or pixels). Colours are
 * 0xRRGGBB. Every field of a zeroed record means "as BarToFile".
 *
 * Sizing, one of:
 *   the box: width x height, as BarToFile (0 0: the sizes above); the symbol
 *     is scaled into it, turned when the box is higher than wide.
 *   module: the narrow module (X-dimension) in micrometres, or magnification:
 *     a percentage (80 to 200) of the EAN/UPC nominal 330 micrometres. The
 *     picture is as large as the symbol needs. Raster formats draw whole
 *     pixels per module at dpi (default 300), vector formats whole 0.01 mm;
 *     the X-dimension drawn comes back in BarPrintInfo. barHeight: the height
 *     of the bars' area (with the text) in micrometres, 0 for the symbology's
 *     usual height.
 * Bar width reduction: each bar narrower by bwr, centred where it was, the
 * spaces wider by as much: rounded to whole pixels in the raster formats, to
 * 0.01 mm in the vector ones; BarPrintInfo.bwr is the amount drawn.
 *
 * Limits (BarErrStyle beyond them): a box of at most 1000000 pixels or
 * hundredths of a millimetre a side; a laid-out picture (anything but the box
 * and the text, colours and weights of BarToFile) of at most 1000000 pixels a
 * side (BMP, PNG, TIFF) or 32767 hundredths of a millimetre (the vector formats: the
 * metafile's coordinates); module 10 to 100000 micrometres, magnification 80
 * to 200, barHeight up to 10 m, dpi 1 to 1000000, padding and textSize up to
 * 1 m, bearerWidth up to 100 mm, a bar width reduction below one module.
 *
 * Results: BarOk, BarErrCode (the text fits none of the types), BarErrFile,
 * BarErrGdi (as BarToFile), BarErrStyle (the record asks what cannot be drawn;
 * BarPrintInfo.problem says which field). Nothing is written unless BarOk.
 * Memory: as BarToMemory (lumtar32_formats.h): a NULL buffer asks the size.
 */
#ifndef LUMTAR32_PRINT_H
#define LUMTAR32_PRINT_H

#include "lumtar32.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Formats, as lumtar32_formats.h numbers them. */
#ifndef BarFmtWmf
#define BarFmtWmf 1
#define BarFmtBmp 2
#define BarFmtPng 3
#define BarFmtSvg 4
#define BarFmtPdf 5
#define BarFmtEps 6
#define BarFmtTif 7
#define BarFmtEmf 8
#endif

/* ITF-14 (GS1): 14 digits as Interleaved 2 of 5 with bearer bars; 13 digits get
 * their check digit. A type of the print call only. */
#define BarTypItf14 512

#define BarErrStyle 4

/* text */
#define BarTextDefault 0 /* as BarFontDefault */
#define BarTextNone 1
#define BarTextBold 2

/* bearer (ITF-14) */
#define BarBearerFrame 0 /* a frame around symbol and quiet zones */
#define BarBearerNone 1
#define BarBearerBars 2 /* a bar above and below */

/* paper */
#define BarPaperWhite 0 /* as BarToFile: white (WMF: no background) */
#define BarPaperColor 1 /* paperColor */
#define BarPaperNone 2  /* transparent: PNG, SVG and WMF */

/* inkModel */
#define BarInkRgb 0
#define BarInkCmyk 1 /* cyan, magenta, yellow, black in percent: PDF, EPS and TIFF state it so, the others get its RGB */

typedef struct BarPrintStyle {
    int size;                  /* sizeof(BarPrintStyle) */
    int types;                 /* type mask, 0 for BarTypAll; BarTypItf14 */
    int width, height;         /* the box: 0.01 mm (WMF, SVG, PDF, EPS, EMF) or pixels (BMP, PNG, TIFF) */
    int physWidth, physHeight; /* BMP, PNG, TIFF: printed size in 0.01 mm; 0: from dpi */
    int dpi;                   /* BMP, PNG, TIFF: pixels per inch, 0 for 300 */
    int module;                /* X-dimension in micrometres; 0: the box */
    int magnification;         /* percent of 330 micrometres (80..200); 0: not used */
    int barHeight;             /* micrometres; 0: the usual height */
    int quietZones;            /* 1: the symbology's quiet zones */
    int indicators;            /* 1: the < > light margin indicators of EAN/UPC (with their quiet zones) */
    int bwr;                   /* bar width reduction, micrometres */
    int bearer;                /* ITF-14: BarBearerFrame, BarBearerNone, BarBearerBars */
    int bearerWidth;           /* micrometres; 0: five modules */
    int rotate;                /* 0, 90, 180 or 270 degrees anticlockwise */
    int narrow, wide;          /* Interleaved 2 of 5, Code 39 element weights; 0 0: 1 and 3 */
    int text;                  /* BarTextDefault, BarTextNone, BarTextBold */
    int textSize;              /* the text's height in micrometres; 0: an eighth of the bars' area */
    char textFace[32];         /* the text's face (code page 1252); empty: Courier New */
    int inkModel;              /* BarInkRgb, BarInkCmyk */
    int ink;                   /* 0xRRGGBB; 0 black */
    int cyan, magenta, yellow, black; /* BarInkCmyk: 0..100 */
    int paper;                 /* BarPaperWhite, BarPaperColor, BarPaperNone */
    int paperColor;            /* 0xRRGGBB */
    int paddingX, paddingY;    /* blank added left and right, top and bottom, micrometres */
} BarPrintStyle;

/* What was drawn (or why not). size: sizeof(BarPrintInfo); the call fills
 * as much as size says. */
typedef struct BarPrintInfo {
    int size;
    int problem;               /* BarProblem..., 0 when the record was taken */
    int type;                  /* the main symbol's type, 0 when none */
    int addOnType;             /* BarTypEan5, BarTypEan2 or 0 */
    int width, height;         /* the picture: pixels or 0.01 mm */
    int physWidth, physHeight; /* its printed size, 0.01 mm */
    int module;                /* the X-dimension drawn, micrometres */
    int moduleUnits;           /* pixels or 0.01 mm per narrow module; 0 when scaled into a box */
    int bwr;                   /* the bar width reduction drawn, micrometres */
} BarPrintInfo;

/* BarPrintInfo.problem: the field refused */
#define BarProblemNone 0
#define BarProblemSize 1          /* size: not a size of this record */
#define BarProblemFormat 2        /* a format this library does not write, or paper none in BMP, PDF, EPS */
#define BarProblemBox 3           /* width, height, physWidth, physHeight, dpi */
#define BarProblemModule 4        /* module, magnification (or both given) */
#define BarProblemHeight 5        /* barHeight */
#define BarProblemTooLarge 6      /* the picture would exceed the limits above */
#define BarProblemWeights 7       /* narrow, wide */
#define BarProblemBwr 8           /* a module or more, or negative */
#define BarProblemBearer 9        /* bearer, bearerWidth */
#define BarProblemRotate 10
#define BarProblemText 11         /* text, textSize, textFace */
#define BarProblemInk 12          /* inkModel, ink, cyan, magenta, yellow, black */
#define BarProblemPaper 13
#define BarProblemAddOn 14        /* TEXT+NN after a type that takes no add-on */
#define BarProblemPadding 15
#define BarProblemFlags 16        /* quietZones, indicators: 0 or 1 */
#define BarProblemTooSmall 17     /* the box is too short for the symbol, or its bars would be higher than it is long */

/* Into a file: BarOk, BarErrCode, BarErrFile, BarErrGdi or BarErrStyle. info may be NULL. */
LUMTAR_EXPORT int LUMTAR_CALL BarPrint(const char* path, int format, const char* text, const BarPrintStyle* style,
                                       BarPrintInfo* info);

/* Into the caller's buffer of size bytes; *needed receives the picture's size. */
LUMTAR_EXPORT int LUMTAR_CALL BarPrintToMemory(void* buffer, unsigned int size, unsigned int* needed, int format,
                                               const char* text, const BarPrintStyle* style, BarPrintInfo* info);

#ifdef __cplusplus
}
#endif

#endif /* LUMTAR32_PRINT_H */
