// The press formats beside the others of encoders.h: TIFF from the pixels of
// the bitmap pipeline, EMF from the recorded drawing; and how PDF, EPS and
// TIFF state the ink.
#pragma once

#include "output/encoders.h"
#include "output/ink.h"

namespace lumtar {

// rows as PngOfRows takes them. Without a CMYK ink a 1-bit TIFF, CCITT
// Group 4, white as zero; with one an 8-bit CMYK TIFF, deflated, the ink
// where the bitmap is black and no ink elsewhere. The resolution in dots per
// inch from the physical size when it is known. BarOk or BarErrGdi.
int TiffOfRows(const uint8_t* rows, int width, int height, int physWidth, int physHeight, const Ink& ink, Bytes& out);

// EPS with the colours stated by the ink: setcmykcolor for a CMYK ink.
int EpsOfScene(const Scene& scene, int width, int height, const Ink& ink, Bytes& out);

// PictureOfBits and PictureOfRows with the ink: PDF, EPS and TIFF state a
// CMYK ink as CMYK; the other formats have RGB only. With a palette, a BMP's
// and a PNG's two colours are its ink and paper.
int PictureOfBits(int format, Bytes&& bits, int width, int height, const Ink& ink, Picture& out);
int PictureOfRows(int format, Bytes&& rows, int width, int height, int physWidth, int physHeight, const Ink& ink,
                  const Palette* palette, Picture& out);

// An enhanced metafile of the scene, its frame the picture's size in 0.01 mm.
int EmfOfScene(const Scene& scene, int width, int height, Bytes& out);

} // namespace lumtar
