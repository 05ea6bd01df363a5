// A PDF document assembled from recorded drawings: any number of pages, each
// with any number of drawings placed on it (a scene's window mapped onto a box
// of the page), lines of text and rectangles. Every face used is embedded once
// per document, as a subset of the characters used anywhere in it (or, when
// the caller asks for no embedding, named as one of the PDF standard fonts).
// Colours are RGB, or CMYK with a CMYK ink. The same calls give the same bytes.
//
// Page coordinates are points (1/72 inch) from the page's top left corner,
// y downwards, as a label sheet is laid out.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "output/encoders.h"
#include "output/ink.h"

namespace lumtar {

struct PdfOptions {
    Ink ink;
    bool embed = true; // false: text in Courier, Helvetica or Times, nothing embedded
    bool deflate = false; // the pages' content deflated (a label sheet's many pages)
};

// A face as the document uses it: resource /F<index>.
struct PdfFont {
    std::shared_ptr<const Face> face;
    bool bold = false, italic = false; // asked for; made up where the face lacks them
    std::array<bool, 256> used{};      // code page 1252 characters shown
};

struct PdfPage {
    double width = 0, height = 0; // points
    Bytes content;
};

struct PdfDocument {
    PdfOptions options;
    std::vector<PdfPage> pages;
    std::vector<PdfFont> fonts;
};

// A new page, which the calls below then draw on.
void PdfAddPage(PdfDocument& document, double width, double height);

// The scene's window (orgX, orgY, extX, extY) onto the box; a white ground
// under it unless clear is set. False when there is no page or no window.
bool PdfPlaceScene(PdfDocument& document, const Scene& scene, double x, double y, double width, double height,
                   bool clear = false);

// A line of text with its reference point at (x, y), as TextOut places it
// with the mark's alignment; the font's height in points. False without a
// page or a face.
bool PdfPlaceText(PdfDocument& document, const Mark& text, double x, double y);

// A rectangle, filled, or outlined with a line of lineWidth points.
bool PdfPlaceRectangle(PdfDocument& document, double x, double y, double width, double height, uint32_t color,
                       double lineWidth = 0);

// The whole document. BarOk, or BarErrGdi when it has no page or a face
// cannot be embedded.
int PdfFinish(const PdfDocument& document, Bytes& out);

// One page of exactly the picture's size (width x height in 0.01 mm) holding
// the scene: what BarToFile writes as PDF.
int PdfOfScene(const Scene& scene, int width, int height, const PdfOptions& options, Bytes& out);

// ------------------------------------------------------------------ fonts

// A face's program, subset to the characters used, deflated (on Windows the
// whole face as it is), and the numbers
// its descriptor states (font units scaled to 1000 an em).
struct FontProgram {
    Bytes deflated;
    size_t length = 0; // before deflating
    bool flate = true; // the program is deflated
    int bbox[4] = {};
    int capHeight = 0;
    std::string tag; // six capitals naming the subset; empty for a whole face
};

// The bytes deflated (zlib's format, as FlateDecode reads it); false where
// this build has no deflate (Windows) or it failed.
bool Deflated(const uint8_t* data, size_t size, Bytes& out, bool best = false);

// The descriptor's numbers from the face's 'head' table (its bounding box)
// and 'OS/2' table (the capital height from version 2 on, else the ascent),
// each of the given size (0: the face has none).
void ReadDescriptor(const uint8_t* head, size_t headSize, const uint8_t* os2, size_t os2Size, const Face& face,
                    FontProgram& program);

// Null when the face's file cannot be read or subset.
std::shared_ptr<const FontProgram> FontProgramOf(const Face& face, const std::array<bool, 256>& used);

} // namespace lumtar
