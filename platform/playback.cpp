// Playback of a metafile onto any DC: each record decoded by the format's
// codec (wmf.h) and made again as the GDI call it recorded.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/metafile.h"
#include "platform/wmf.h"

using namespace lumtar;
using namespace lumtar::platform;

namespace {

using wmf::Call;
using wmf::Op;

struct Player {
    HDC hdc;
    std::vector<HGDIOBJ> table;

    void Add(HGDIOBJ object)
    {
        auto free = std::find(table.begin(), table.end(), nullptr);
        if (free != table.end())
            *free = object;
        else
            DeleteObject(object); // no room: GDI drops it too
    }
    HGDIOBJ At(uint32_t index) const { return index < table.size() ? table[index] : nullptr; }
};

HGDIOBJ FontOf(const wmf::FontRecord& r)
{
    LOGFONTA f{};
    f.lfHeight = r.height, f.lfWidth = r.width, f.lfEscapement = r.escapement;
    f.lfOrientation = r.orientation, f.lfWeight = r.weight;
    f.lfItalic = r.italic, f.lfUnderline = r.underline, f.lfStrikeOut = r.strikeOut, f.lfCharSet = r.charSet;
    f.lfOutPrecision = r.outPrecision, f.lfClipPrecision = r.clipPrecision;
    f.lfQuality = r.quality, f.lfPitchAndFamily = r.pitchAndFamily;
    std::memcpy(f.lfFaceName, r.face, strnlen(r.face, LF_FACESIZE - 1));
    return CreateFontIndirectA(&f);
}

void PlayCall(Player& player, const Call& c)
{
    HDC dc = player.hdc;
    const int* a = c.args;
    switch (c.op) {
    case Op::SetBkColor: SetBkColor(dc, c.value); break;
    case Op::SetBkMode: SetBkMode(dc, static_cast<int>(c.value)); break;
    case Op::SetMapMode: SetMapMode(dc, static_cast<int>(c.value)); break;
    case Op::SetTextColor: SetTextColor(dc, c.value); break;
    case Op::SetTextAlign: SetTextAlign(dc, c.value); break;
    case Op::SetWindowOrg: SetWindowOrgEx(dc, a[0], a[1], nullptr); break;
    case Op::SetWindowExt: SetWindowExtEx(dc, a[0], a[1], nullptr); break;
    case Op::SetViewportOrg: SetViewportOrgEx(dc, a[0], a[1], nullptr); break;
    case Op::SetViewportExt: SetViewportExtEx(dc, a[0], a[1], nullptr); break;
    case Op::Rectangle: Rectangle(dc, a[0], a[1], a[2], a[3]); break;
    case Op::PatBlt: PatBlt(dc, a[0], a[1], a[2], a[3], c.value); break;
    case Op::SelectObject: SelectObject(dc, player.At(c.value)); break;
    case Op::DeleteObject:
        if (player.At(c.value)) {
            DeleteObject(player.table[c.value]);
            player.table[c.value] = nullptr;
        }
        break;
    case Op::CreateBrush: player.Add(NewBrush(c.value, c.color, c.hatch)); break;
    case Op::CreatePen: player.Add(NewPen(c.value, {a[0], a[1]}, c.color)); break;
    case Op::CreateFont: player.Add(FontOf(c.font)); break;
    case Op::TextOut: TextOutA(dc, a[0], a[1], c.chars, static_cast<int>(c.count)); break;
    default: break; // records this layer never writes are passed over
    }
}

} // namespace

extern "C" {

// Plays the records onto `hdc` with a fresh object table; afterwards the DC's
// pen and brush are selected back and the objects the records created are
// deleted, as GDI does (the font and the mapping stay as the records left them).
BOOL WINAPI PlayMetaFile(HDC hdc, HMETAFILE metafile)
try {
    const std::shared_ptr<MetafileBits> m = MetafileOf(metafile);
    if (!m) return FALSE;
    const std::vector<uint8_t>& bytes = m->bytes; // kept by m if its handle is deleted meanwhile
    HGDIOBJ pen, brush;
    {
        LockedDc dc(hdc);
        if (!dc || bytes.size() < wmf::HeaderBytes) return FALSE;
        pen = dc->pen;
        brush = dc->brush;
    }
    Player player{hdc, std::vector<HGDIOBJ>(wmf::ObjectCount(bytes.data()), nullptr)};
    bool complete = true; // without memory for an object, the objects made so far still go
    try {
        Call call;
        std::size_t words = 0;
        for (std::size_t at = 2 * wmf::HeaderWords(bytes.data()); wmf::GetRecord(bytes.data(), bytes.size(), at, call, words);
             at += 2 * words)
            PlayCall(player, call);
    } catch (...) {
        complete = OutOfMemory(false);
    }
    SelectObject(hdc, pen);
    SelectObject(hdc, brush);
    for (HGDIOBJ object : player.table)
        if (object) DeleteObject(object);
    return complete;
} catch (...) {
    return OutOfMemory(FALSE);
}

} // extern "C"
