// The objects of a PDF document around its pages' content: catalog, page
// tree, pages, one font per face used (a TrueType subset in WinAnsiEncoding,
// whose codes are code page 1252's, or a standard font), and the cross
// reference table that finds them.
#include <cmath>
#include <cstdio>

#include "output/numbers.h"
#include "output/pdf_document.h"

namespace lumtar {
namespace {

struct Writer {
    Bytes& out;
    std::vector<size_t> offsets; // of objects 1, 2, ...
};

void Open(Writer& w, size_t number)
{
    if (w.offsets.size() < number) w.offsets.resize(number);
    w.offsets[number - 1] = w.out.size();
    Put(w.out, static_cast<long long>(number));
    Put(w.out, " 0 obj\n");
}

void Reference(Bytes& out, size_t number)
{
    Put(out, static_cast<long long>(number));
    Put(out, " 0 R");
}

void Stream(Writer& w, const uint8_t* data, size_t size)
{
    Put(w.out, "stream\n");
    Append(w.out, reinterpret_cast<const char*>(data), reinterpret_cast<const char*>(data) + size);
    Put(w.out, "\nendstream\nendobj\n");
}

// Letters, digits and a few marks: a name that needs no escapes.
std::string NameOf(const std::string& name)
{
    std::string plain;
    for (const char c : name)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            plain.push_back(c);
    return plain.empty() ? "Font" : plain;
}

bool FixedPitch(const Face& face) { return face.advance['i'] == face.advance['W'] && face.advance['i'] != 0; }

// The standard font closest to the face, for a document that embeds none.
std::string StandardName(const PdfFont& font)
{
    const std::string& family = font.face->family;
    const bool serif = family.find("Serif") != std::string::npos && family.find("Sans") == std::string::npos;
    static constexpr const char* Names[3][4] = {
        {"Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"},
        {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique"},
        {"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic"},
    };
    return Names[FixedPitch(*font.face) ? 0 : serif ? 2 : 1][(font.bold ? 1 : 0) + (font.italic ? 2 : 0)];
}

size_t ObjectsOf(const PdfDocument& document) { return document.options.embed ? 3 : 1; }

void PutWidths(Bytes& out, const PdfFont& font, int first, int last)
{
    const double scale = 1000.0 / font.face->unitsPerEm;
    Put(out, "/FirstChar ");
    Put(out, first);
    Put(out, " /LastChar ");
    Put(out, last);
    Put(out, " /Widths [");
    for (int c = first; c <= last; ++c) {
        out.push_back(' ');
        Put(out, static_cast<long long>(font.used[c] ? std::lround(font.face->advance[c] * scale) : 0));
    }
    Put(out, " ]");
}

// Font, descriptor and program from object `number` on.
bool PutEmbedded(Writer& w, const PdfFont& font, size_t number)
{
    const std::shared_ptr<const FontProgram> program = FontProgramOf(*font.face, font.used);
    if (!program) return false;
    int first = 0, last = 255;
    while (first < 255 && !font.used[first]) ++first;
    while (last > first && !font.used[last]) --last;
    const Face& face = *font.face;
    const std::string name = "/" + (program->tag.empty() ? std::string() : program->tag + "+") +
                             NameOf(face.postscript.empty() ? face.family : face.postscript);
    Open(w, number);
    Put(w.out, "<< /Type /Font /Subtype /TrueType /BaseFont ");
    Put(w.out, name.c_str());
    Put(w.out, " ");
    PutWidths(w.out, font, first, last);
    Put(w.out, " /Encoding /WinAnsiEncoding /FontDescriptor ");
    Reference(w.out, number + 1);
    Put(w.out, " >>\nendobj\n");

    const double scale = 1000.0 / face.unitsPerEm;
    const int flags = 32 | (FixedPitch(face) ? 1 : 0) | (font.italic ? 64 : 0) | (font.bold ? 1 << 18 : 0);
    char line[256];
    std::snprintf(line, sizeof line,
                  " /Flags %d /FontBBox [ %d %d %d %d ] /ItalicAngle %d /Ascent %ld /Descent %ld /CapHeight %d"
                  " /StemV %d /FontFile2 ",
                  flags, program->bbox[0], program->bbox[1], program->bbox[2], program->bbox[3], font.italic ? -12 : 0,
                  std::lround(face.ascent * scale), -std::lround(face.descent * scale), program->capHeight,
                  font.bold ? 140 : 80);
    Open(w, number + 1);
    Put(w.out, "<< /Type /FontDescriptor /FontName ");
    Put(w.out, name.c_str());
    Put(w.out, line);
    Reference(w.out, number + 2);
    Put(w.out, " >>\nendobj\n");

    Open(w, number + 2);
    Put(w.out, "<< /Length ");
    Put(w.out, static_cast<long long>(program->deflated.size()));
    Put(w.out, " /Length1 ");
    Put(w.out, static_cast<long long>(program->length));
    Put(w.out, program->flate ? " /Filter /FlateDecode >>\n" : " >>\n");
    Stream(w, program->deflated.data(), program->deflated.size());
    return true;
}

void PutStandard(Writer& w, const PdfFont& font, size_t number)
{
    Open(w, number);
    Put(w.out, "<< /Type /Font /Subtype /Type1 /BaseFont /");
    Put(w.out, StandardName(font).c_str());
    Put(w.out, " /Encoding /WinAnsiEncoding >>\nendobj\n");
}

void PutPage(Writer& w, const PdfDocument& document, size_t page, size_t firstFont)
{
    const PdfPage& p = document.pages[page];
    const size_t number = 3 + 2 * page;
    char box[96];
    std::snprintf(box, sizeof box, " /MediaBox [ 0 0 %.6f %.6f ]", p.width, p.height);
    Open(w, number);
    Put(w.out, "<< /Type /Page /Parent 2 0 R");
    Put(w.out, box);
    Put(w.out, " /Resources << /Font <<");
    for (size_t f = 0; f < document.fonts.size(); ++f) {
        Put(w.out, " /F");
        Put(w.out, static_cast<long long>(f));
        w.out.push_back(' ');
        Reference(w.out, firstFont + f * ObjectsOf(document));
    }
    Put(w.out, " >> >> /Contents ");
    Reference(w.out, number + 1);
    Put(w.out, " >>\nendobj\n");
    Open(w, number + 1);
    Bytes deflated;
    const size_t size = document.options.deflate && Deflated(p.content.data(), p.content.size(), deflated) ? deflated.size() : 0;
    Put(w.out, "<< /Length ");
    Put(w.out, static_cast<long long>(size ? size : p.content.size()));
    Put(w.out, size ? " /Filter /FlateDecode >>\n" : " >>\n");
    if (size)
        Stream(w, deflated.data(), size);
    else
        Stream(w, p.content.data(), p.content.size());
}

void PutCrossReference(Writer& w)
{
    const size_t at = w.out.size();
    Put(w.out, "xref\n0 ");
    Put(w.out, static_cast<long long>(w.offsets.size() + 1));
    Put(w.out, "\n0000000000 65535 f \n");
    for (const size_t offset : w.offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        Put(w.out, entry);
    }
    Put(w.out, "trailer\n<< /Size ");
    Put(w.out, static_cast<long long>(w.offsets.size() + 1));
    Put(w.out, " /Root 1 0 R >>\nstartxref\n");
    Put(w.out, static_cast<long long>(at));
    Put(w.out, "\n%%EOF\n");
}

} // namespace

int PdfFinish(const PdfDocument& document, Bytes& out)
{
    if (document.pages.empty()) return BarErrGdi;
    out.clear();
    size_t content = 0;
    for (const PdfPage& page : document.pages) content += page.content.size();
    out.reserve(1024 + content + 160 * document.pages.size());
    Writer w{out, {}};
    Put(out, "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    Open(w, 1);
    Put(out, "<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    Open(w, 2);
    Put(out, "<< /Type /Pages /Kids [");
    for (size_t page = 0; page < document.pages.size(); ++page) {
        out.push_back(' ');
        Reference(out, 3 + 2 * page);
    }
    Put(out, " ] /Count ");
    Put(out, static_cast<long long>(document.pages.size()));
    Put(out, " >>\nendobj\n");
    const size_t firstFont = 3 + 2 * document.pages.size();
    for (size_t page = 0; page < document.pages.size(); ++page) PutPage(w, document, page, firstFont);
    for (size_t f = 0; f < document.fonts.size(); ++f) {
        const size_t number = firstFont + f * ObjectsOf(document);
        if (!document.options.embed)
            PutStandard(w, document.fonts[f], number);
        else if (!PutEmbedded(w, document.fonts[f], number))
            return BarErrGdi;
    }
    PutCrossReference(w);
    return BarOk;
}

void ReadDescriptor(const uint8_t* head, size_t headSize, const uint8_t* os2, size_t os2Size, const Face& face,
                    FontProgram& program)
{
    const auto bigShort = [](const uint8_t* at) { return static_cast<int16_t>(at[0] << 8 | at[1]); };
    const double scale = 1000.0 / face.unitsPerEm;
    if (head && headSize >= 44)
        for (int i = 0; i < 4; ++i) program.bbox[i] = static_cast<int>(std::lround(bigShort(head + 36 + 2 * i) * scale));
    program.capHeight = static_cast<int>(std::lround(face.ascent * scale));
    if (os2 && os2Size >= 90 && (os2[0] << 8 | os2[1]) >= 2 && bigShort(os2 + 88) > 0)
        program.capHeight = static_cast<int>(std::lround(bigShort(os2 + 88) * scale));
}

} // namespace lumtar
