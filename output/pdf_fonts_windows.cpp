// The face programs a PDF embeds, on Windows: the whole face as GDI's
// GetFontData hands it out (Windows has no subsetter nor deflate of its own,
// so the program is the font file as it is), with the numbers of its
// descriptor from its 'head' and 'OS/2' tables. Made once per face.
#include <windows.h>

#include <cmath>
#include <map>
#include <mutex>

#include "output/pdf_document.h"

namespace lumtar {
namespace {

constexpr size_t MaxPrograms = 16;

struct Programs {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<const FontProgram>> made;
};

Programs& ThePrograms()
{
    static Programs programs;
    return programs;
}

constexpr DWORD Tag(const char (&name)[5])
{
    return static_cast<DWORD>(static_cast<uint8_t>(name[0]) | static_cast<uint8_t>(name[1]) << 8 |
                              static_cast<uint8_t>(name[2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(name[3])) << 24);
}

int BigShort(const uint8_t* at) { return static_cast<int16_t>(at[0] << 8 | at[1]); }

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
    const double scale = 1000.0 / face.unitsPerEm;
    const Bytes head = Table(dc, Tag("head")), os2 = Table(dc, Tag("OS/2"));
    if (head.size() >= 44)
        for (int i = 0; i < 4; ++i) program->bbox[i] = static_cast<int>(std::lround(BigShort(&head[36 + 2 * i]) * scale));
    program->capHeight = static_cast<int>(std::lround(face.ascent * scale));
    if (os2.size() >= 90 && (os2[0] << 8 | os2[1]) >= 2 && BigShort(&os2[88]) > 0)
        program->capHeight = static_cast<int>(std::lround(BigShort(&os2[88]) * scale));
    // The whole face: no subset tag.
    return program;
}

} // namespace

bool Deflated(const uint8_t*, size_t, Bytes&, bool) { return false; }

std::shared_ptr<const FontProgram> FontProgramOf(const Face& face, const std::array<bool, 256>&)
{
    const std::string key = face.file + '|' + std::to_string(face.index);
    Programs& programs = ThePrograms();
    std::lock_guard<std::mutex> lock(programs.mutex);
    const auto known = programs.made.find(key);
    if (known != programs.made.end()) return known->second;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    LOGFONTA lf{};
    lf.lfHeight = -static_cast<LONG>(face.unitsPerEm);
    lf.lfWeight = face.index & 1 ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = face.index & 2 ? TRUE : FALSE;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lstrcpynA(lf.lfFaceName, face.file.c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    std::shared_ptr<const FontProgram> program;
    if (font) {
        HGDIOBJ previous = SelectObject(dc, font);
        program = Read(dc, face);
        SelectObject(dc, previous);
        DeleteObject(font);
    }
    DeleteDC(dc);
    if (!program) return nullptr;
    if (programs.made.size() >= MaxPrograms) programs.made.clear();
    return programs.made.emplace(key, program).first->second;
}

} // namespace lumtar
