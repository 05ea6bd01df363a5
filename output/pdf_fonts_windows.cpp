// The face programs a PDF embeds, on Windows: the whole face as GDI's
// GetFontData hands it out (Windows has no subsetter nor deflate of its own,
// so the program is the font file as it is), with the numbers of its
// descriptor from its 'head' and 'OS/2' tables. Made once per face.
#include <windows.h>

#include "output/faces_windows.h"
#include "output/kept.h"
#include "output/pdf_document.h"

namespace lumtar {
namespace {

constexpr size_t MaxPrograms = 16;

constexpr DWORD Tag(const char (&name)[5])
{
    return static_cast<DWORD>(static_cast<uint8_t>(name[0]) | static_cast<uint8_t>(name[1]) << 8 |
                              static_cast<uint8_t>(name[2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(name[3])) << 24);
}

Bytes Table(HDC dc, DWORD table)
{
    const DWORD size = GetFontData(dc, table, 0, nullptr, 0);
    if (size == GDI_ERROR || size == 0) return {};
    Bytes data(size);
    if (GetFontData(dc, table, 0, data.data(), size) != size) return {};
    return data;
}

std::shared_ptr<FontProgram> Read(HDC dc, const Face& face)
{
    auto program = std::make_shared<FontProgram>();
    program->deflated = Table(dc, 0);
    program->length = program->deflated.size();
    program->flate = false;
    if (program->deflated.empty()) return nullptr;
    const Bytes head = Table(dc, Tag("head")), os2 = Table(dc, Tag("OS/2"));
    ReadDescriptor(head.data(), head.size(), os2.data(), os2.size(), face, *program);
    // The whole face: no subset tag.
    return program;
}

} // namespace

bool Deflated(const uint8_t*, size_t, Bytes&, bool) { return false; }

std::shared_ptr<const FontProgram> FontProgramOf(const Face& face, const std::array<bool, 256>&)
{
    const std::string key = face.file + '|' + std::to_string(face.index);
    static Kept<std::string, FontProgram> programs;
    return KeptOrMade(programs, MaxPrograms, key, [&]() -> std::shared_ptr<const FontProgram> {
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) return nullptr;
        // The face as FaceOf measured it: its family in file, bold and italic in index.
        HFONT font = SelectFace(dc, face.file, face.index & 1, face.index & 2, static_cast<LONG>(face.unitsPerEm));
        std::shared_ptr<const FontProgram> program = font ? Read(dc, face) : nullptr;
        if (font) DeleteObject(SelectObject(dc, GetStockObject(SYSTEM_FONT)));
        DeleteDC(dc);
        return program;
    });
}

} // namespace lumtar
