/*
 * lumtar32_sheet.h - label sheets: a table of records (CSV or TSV, a header
 * line of column names) laid out one label per record and copy onto the
 * labels of a sheet, every sheet a page of one PDF document.
 *
 * liblumtar32.so only, from version 1.1. This header stands alone, as
 * lumtar32.h does.
 *
 * The sheet, one of:
 *   a template by name: the vendors' parts built in (BarSheetTemplates lists
 *     them: Avery L7160, L7163, L7651, L7654, 5160, 5163, 5167, Zweckform
 *     3474, 3475, 3490, with their aliases such as J8160) and, where
 *     glabels-data is installed, every template of
 *     /usr/share/libglabels-3.0/templates;
 *   a template file in glabels' XML format (sheetFile), the one named by
 *     sheet in it, or its only template;
 *   a grid (sheet NULL or empty): columns x rows labels filling an A4 or
 *     Letter page inside the page margins.
 *
 * Each label: its text lines (a column's value each, in Arial or the face
 * that stands for it, centred) above and below, and the symbol centred in
 * the room between, inside the label's margin, with its quiet zones, at the
 * X-dimension asked (module, or magnification of 330 micrometres; 100 % when
 * neither is given). A symbol too wide for its room is drawn at the largest
 * X-dimension that fits and reported; a text line too long for the label is
 * set smaller (down to half its size) and then cut with an ellipsis.
 *
 * Records: the code column (codeColumn, else "code", else the first), with a
 * +NN or +NNNNN add-on after an EAN-13, ISBN or UPC-A; an optional types
 * column (a mask, or names such as "ean13,code39"; else style->types) and
 * copies column (0 to 100000; else 1). A record whose code fits none of its
 * types, or whose fields are wrong, is refused: it takes no label, it is
 * reported by its line number, and the sheet goes on.
 *
 * Lengths are micrometres (0.001 mm). Text is UTF-8 (or code page 1252).
 *
 * Results: BarOk (the document is made; info->refused records were left
 * out), BarErrFile (the file or template file cannot be written or read, or
 * the caller's buffer is too short), BarErrGdi (the drawing failed),
 * BarErrStyle (info->problem says which field is refused). The document is
 * written only with BarOk. Memory: as BarToMemory (lumtar32_formats.h).
 */
#ifndef LUMTAR32_SHEET_H
#define LUMTAR32_SHEET_H

#include "lumtar32.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef BarErrStyle
#define BarErrStyle 4
#endif

/* page (the grid) */
#define BarPageA4 0
#define BarPageLetter 1

/* One text line of a label. */
typedef struct BarSheetLine {
    const char* column; /* the column's name */
    int textSize;       /* the face's height (em) in micrometres; 0: 9 points */
    int above;          /* 1: above the symbol, 0: below it */
} BarSheetLine;

typedef void(LUMTAR_CALL* BarSheetProgress)(int done, int total, void* context);

typedef struct BarSheetStyle {
    int size;                /* sizeof(BarSheetStyle) */
    const char* sheet;       /* a template's name ("Avery L7160", "L7160"); NULL or "": the grid */
    const char* sheetFile;   /* a glabels template file to take it from, or NULL */
    int page;                /* the grid: BarPageA4 or BarPageLetter */
    int columns, rows;       /* the grid: labels across and down */
    int marginTop, marginRight, marginBottom, marginLeft; /* the grid's page margins */
    int labelMargin;         /* nothing nearer a label's edge; -1: the template's (the grid's: 2 mm) */
    int skip;                /* labels left blank on the first sheet (a partly used one) */
    int startRow, startColumn; /* or, from 1: the first label to use (rows top down, columns left to right) */
    int offsetX, offsetY;    /* every label moved by this much: right and down (printer calibration) */
    int module;              /* X-dimension; 0: by magnification */
    int magnification;       /* percent of 330 micrometres, 80 to 200; 0: 100 */
    int outline;             /* 1: each label's edge drawn in grey, for a test print */
    const char* codeColumn;  /* NULL: "code", else the first column */
    const char* typesColumn; /* NULL: "types" when the header has it */
    const char* copiesColumn; /* NULL: "copies" when the header has it */
    int types;               /* the types of records without a types column; 0: BarTypAll */
    int lineCount;           /* text lines, up to 16 */
    const BarSheetLine* lines;
    BarSheetProgress progress; /* called now and then with the records done, or NULL */
    void* context;             /* passed to progress */
    int cmyk;                  /* 1: black stated as K alone (0 0 0 1), for the press; 0: RGB */
} BarSheetStyle;

/* What was made. size: sizeof(BarSheetInfo). messages: the caller's buffer of
 * messagesSize bytes, or NULL; it receives the report, one line per refused or
 * shrunk record ("line 7: '4006381333932' fits none of the types"), zero-
 * terminated and cut to fit. */
typedef struct BarSheetInfo {
    int size;
    int problem;     /* BarSheetProblem...: the field refused */
    int labels;      /* labels drawn */
    int pages;       /* sheets */
    int refused;     /* records left out */
    int shrunk;      /* records drawn smaller than asked */
    char* messages;
    unsigned int messagesSize;
} BarSheetInfo;

/* BarSheetInfo.problem */
#define BarSheetProblemNone 0
#define BarSheetProblemSize 1     /* size: not a size of this record */
#define BarSheetProblemSheet 2    /* no template of that name, or the file holds none */
#define BarSheetProblemGrid 3     /* page, columns, rows, margins */
#define BarSheetProblemColumn 4   /* a column named that the header lacks */
#define BarSheetProblemModule 5   /* module, magnification */
#define BarSheetProblemPlace 6    /* skip, startRow, startColumn, offsetX, offsetY, labelMargin, cmyk */
#define BarSheetProblemLines 7    /* lineCount, lines, textSize */
#define BarSheetProblemRecords 8  /* no records, or no header */
#define BarSheetProblemTypes 9

/* Into a file. */
LUMTAR_EXPORT int LUMTAR_CALL BarSheet(const char* path, const char* records, const BarSheetStyle* style,
                                       BarSheetInfo* info);

/* Into the caller's buffer of size bytes; *needed receives the document's size. */
LUMTAR_EXPORT int LUMTAR_CALL BarSheetToMemory(void* buffer, unsigned int size, unsigned int* needed,
                                               const char* records, const BarSheetStyle* style, BarSheetInfo* info);

/* The templates known by name, one a line: "Avery L7160<TAB>Address labels
 * 63.5 x 38.1 mm, 3 x 7<TAB>A4" (paper "A4", "Letter" or W x H mm), the
 * built-in first. Memory: as BarToMemory; BarOk or BarErrFile. */
LUMTAR_EXPORT int LUMTAR_CALL BarSheetTemplates(char* buffer, unsigned int size, unsigned int* needed);

#ifdef __cplusplus
}
#endif

#endif /* LUMTAR32_SHEET_H */
