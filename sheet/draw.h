// A run of records onto its sheet: each label's symbol, text lines and
// outline placed on its page, the pages into one PDF.
#pragma once

#include "lumtar32_sheet.h"
#include "output/pdf_document.h"
#include "sheet/sheet.h"

namespace lumtar::sheet {

// A symbol drawn at its own size, to be placed: its scene in the picture's
// logical units, the picture's size in 0.01 mm.
struct Symbol {
    Scene scene;
    int width = 0, height = 0;
    int module = 0; // the X-dimension drawn, micrometres
    int asked = 0;  // and the one asked for
};

// The symbol of text at the X-dimension asked (micrometres), or at the
// largest that fits the room (mm) when it does not: BarOk, BarErrCode (the
// text fits none of the types), or another result when it cannot be drawn
// in the room at all.
int FitSymbol(const std::string& text, int types, int module, const Box& room, Symbol& out);

using Progress = BarSheetProgress; // (done, total, context)

struct Run {
    Template sheet;
    std::vector<LineSpec> lines;
    int codeColumn = 0, typesColumn = -1, copiesColumn = -1;
    int types = BarTypAll; // for records without a types column
    long skip = 0;
    double offsetX = 0, offsetY = 0; // mm
    int module = 330;                // micrometres
    bool outline = false;
    bool cmyk = false; // black as K only, where the writer can
    Progress progress = nullptr;
    void* context = nullptr;
};

struct Outcome {
    long labels = 0, pages = 0, refused = 0, shrunk = 0;
    std::string messages; // one a line: "line 7: ..."
};

// The run's labels onto pages added to the document.
void DrawSheet(PdfDocument& document, const Table& table, const Run& run, Outcome& outcome);

// The whole run into one PDF: BarOk or BarErrGdi.
int SheetPdf(const Table& table, const Run& run, Bytes& pdf, Outcome& outcome);

// A type mask from a record's field: a number, or names ("ean13", "code39",
// "ean13+ean5") joined by , + or |; 0 when it is neither.
int TypesOf(const std::string& field);

// UTF-8 (or code page 1252 already, when it is no UTF-8) to code page 1252;
// characters it lacks become '?'.
std::string Cp1252Of(const std::string& text);

} // namespace lumtar::sheet
