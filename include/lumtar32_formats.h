/*
 * lumtar32_formats.h - pictures in the formats other programs open: PNG, SVG,
 * PDF, EPS, TIFF and EMF beside WMF and BMP, into a file or into memory.
 *
 * liblumtar32.so exports every function here; lumtar32.dll (32-bit and x64)
 * BarToFile and BarToMemory, at ordinals 30 and 31, made with Windows' own
 * DLLs: GDI for the faces and the EMF, WIC (windowscodecs.dll) for PNG and
 * TIFF. Where the two differ: the DLL's PDF embeds the whole face that GDI
 * finds (GetFontData; Windows has no subsetter), its PNG and TIFF are WIC's
 * encodings of the same pixels, its EMF is GDI's recording, and its faces
 * are Windows' (Courier New itself rather than Liberation Mono).
 *
 * Every function draws what BarToWmf and BarToBmp draw (the same frame, the
 * same symbol), with the font argument, the type mask and the narrow and wide
 * element weights of Bar2HdcEx (0 and 0 for the defaults).
 *
 * Sizes:
 *   raster formats (BMP, PNG, TIFF): width x height pixels; physWidth x physHeight
 *     the picture's physical size in hundredths of a millimetre, from which
 *     the resolution is stored (pixels x 100000 / physical size), as BarToBmp.
 *   vector formats (WMF, SVG, PDF, EPS, EMF): width x height in hundredths of
 *     a millimetre (2540 to the inch), as BarToWmf; physWidth and physHeight
 *     are not used. SVG, PDF, EPS and EMF are made from the metafile's records,
 *     whose coordinates are 16 bits: a picture larger than 327 mm is recorded
 *     in coarser units (0.02 mm up to 655 mm, and so on), the WMF as it is.
 *
 * SVG, PDF, EPS and EMF have a white background, as the bitmap has, and their text
 * is text: in the font's face (Courier New, found as Liberation Mono here),
 * placed where the metafile's TextOut places it. The PDF embeds the face (the
 * characters used); the SVG names it with Liberation Mono and monospace after
 * it, the EPS by its PostScript name with Courier where the printer lacks it.
 * The EMF names the recorded font and gives each character's advance. Every
 * format of the same drawing is the same bytes on every call
 * (no dates inside).
 *
 * Results: BarOk, BarErrCode (the text fits none of the types: nothing is
 * written, an existing file stays as it was), BarErrFile (the file cannot be
 * written, or the caller's buffer is too short), BarErrGdi (a size beyond the
 * coordinate space, or the drawing or encoding failed). A format that is not
 * one of those below, or not one the function makes, is BarErrFile.
 *
 * Memory: the caller's buffer, as GetMetaFileBitsEx takes it. *needed (unless
 * needed is NULL) receives the size of the picture (0 unless the result is BarOk or the
 * buffer was too short). With buffer NULL nothing is written and the result
 * is BarOk: a size query. With a buffer shorter than the picture nothing is
 * written into it and the result is BarErrFile. The memory and the file form
 * of one picture hold the same bytes.
 */
#ifndef LUMTAR32_FORMATS_H
#define LUMTAR32_FORMATS_H

#include "lumtar32.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Formats */
#define BarFmtWmf 1 /* placeable metafile, as BarToWmf */
#define BarFmtBmp 2 /* monochrome BMP, as BarToBmp */
#define BarFmtPng 3 /* 1-bit grayscale PNG with the pixels of BarToBmp, pHYs from the resolution */
#define BarFmtSvg 4 /* SVG: <rect> and <text> elements, width and height in mm */
#define BarFmtPdf 5 /* PDF: one page of exactly the picture's size, text as text */
#define BarFmtEps 6 /* Encapsulated PostScript, bounding box of the picture's size */
#define BarFmtTif 7 /* TIFF: 1-bit CCITT Group 4 with the pixels of BarToBmp and their resolution */
#define BarFmtEmf 8 /* enhanced metafile: frame of the picture's size, rectangles and text */

/* Into a file. */
LUMTAR_EXPORT int LUMTAR_CALL BarToFile(const char* path, int format, const char* text,
                                        const struct tagLOGFONTA* font, int width, int height, int physWidth,
                                        int physHeight, int types, int narrow, int wide);

/* Into the caller's buffer of size bytes; *needed receives the picture's size. */
LUMTAR_EXPORT int LUMTAR_CALL BarToMemory(void* buffer, unsigned int size, unsigned int* needed, int format,
                                          const char* text, const struct tagLOGFONTA* font, int width, int height,
                                          int physWidth, int physHeight, int types, int narrow, int wide);

/* The same, one function per format. */
LUMTAR_EXPORT int LUMTAR_CALL BarToPng(const char* path, const char* text, const struct tagLOGFONTA* font,
                                       int pixelWidth, int pixelHeight, int physWidth, int physHeight, int types,
                                       int narrow, int wide);
LUMTAR_EXPORT int LUMTAR_CALL BarToSvg(const char* path, const char* text, const struct tagLOGFONTA* font, int width,
                                       int height, int types, int narrow, int wide);
LUMTAR_EXPORT int LUMTAR_CALL BarToPdf(const char* path, const char* text, const struct tagLOGFONTA* font, int width,
                                       int height, int types, int narrow, int wide);
LUMTAR_EXPORT int LUMTAR_CALL BarToEps(const char* path, const char* text, const struct tagLOGFONTA* font, int width,
                                       int height, int types, int narrow, int wide);

/*
 * From a drawing of the caller's own (several symbols on one surface, say):
 * a memory metafile recorded with a window of width x height hundredths of a
 * millimetre (as BarToWmf records it), into WMF, SVG, PDF, EPS or EMF; or a
 * monochrome bitmap into BMP, PNG or TIFF, its resolution from physWidth x
 * physHeight hundredths of a millimetre. The handle stays the caller's.
 * Results and the memory convention as above; BarErrCode is not used.
 */
LUMTAR_EXPORT int LUMTAR_CALL BarMetaFileToMemory(struct HMETAFILE__* metafile, int format, int width, int height,
                                                  void* buffer, unsigned int size, unsigned int* needed);
LUMTAR_EXPORT int LUMTAR_CALL BarBitmapToMemory(struct HBITMAP__* bitmap, int format, int physWidth, int physHeight,
                                                void* buffer, unsigned int size, unsigned int* needed);

#ifdef __cplusplus
}
#endif

#endif /* LUMTAR32_FORMATS_H */
