// Memory metafiles in the Windows Metafile Format: the recorder behind
// metafile DCs, the bits of a closed metafile, and playback onto any DC.
// Every record layout the layer writes or reads is in this file.
//
// The header's size and largest record are counted by one append routine,
// its object count by the object table; CloseMetaFile writes them into the
// header. Records go straight into their place in the bytes, which are
// handed to the closed metafile as they are. Parameters are stored in the reverse of GDI's argument
// order. An object is written to the metafile's object table the first time
// it is selected (stock objects included, as ordinary create records), takes
// the lowest free index, and keeps it until DeleteObject writes its delete
// record; an object still selected when it is deleted keeps its index.
#include "platform/metafile.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

#include "platform/bytes.h"
#include "platform/records.h"

namespace lumtar::platform {
namespace {

// META_HEADER: type 1 (memory), header of 9 words, version 0x0300, then the
// size in words, object count, largest record in words and a zero.
constexpr std::size_t HeaderBytes = 18;
constexpr std::size_t SizeAt = 6, ObjectsAt = 10, MaxRecordAt = 12;
constexpr uint8_t EmptyHeader[HeaderBytes] = {1, 0, 9, 0, 0, 3, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

constexpr std::size_t LogFont16Words = 25; // 5 shorts, 8 bytes, a 32-byte face

int Hi(uint32_t v) { return static_cast<int>(v >> 16); }
int Lo(uint32_t v) { return static_cast<int>(v & 0xFFFF); }

// Room for `end` bytes, at least twice what there was; marks the recorder
// failed when memory runs out.
[[gnu::noinline]] void Grow(Recorder& rec, std::size_t end)
{
    try {
        rec.bytes.resize(std::max(end, 2 * rec.bytes.size()));
    } catch (...) {
        rec.failed = true;
        throw;
    }
}

// Little-endian fields in place, as plain stores on the hosts this layer runs on.
void Word(uint8_t* at, uint32_t value)
{
    const auto word = static_cast<uint16_t>(value);
    std::memcpy(at, &word, 2);
}

// Whether a record of `words` parameter words fits into the room there is.
inline bool Fits(const Recorder& rec, std::size_t words) { return rec.used + 6 + 2 * words <= rec.bytes.size(); }

// Opens a record of `words` parameter words and returns where they go; the
// header's counts are kept here and nowhere else.
inline uint8_t* Append(Recorder& rec, uint16_t function, std::size_t words)
{
    if (!Fits(rec, words)) Grow(rec, rec.used + 6 + 2 * words);
    const auto size = static_cast<uint32_t>(3 + words);
    uint8_t* p = rec.bytes.data() + rec.used;
    rec.used += 2 * std::size_t(size);
    std::memcpy(p, &size, 4);
    Word(p + 4, function);
    if (size > rec.maxRecord) rec.maxRecord = size;
    return p + 6;
}

template <class... Ints> BOOL GrownParams(Dc& dc, uint16_t function, Ints... params);

// A record of 16-bit parameters given in GDI's argument order, a 32-bit
// argument as its high word and then its low word; each keeps its low 16
// bits, and they are stored last first. Growing the room is out of line, so
// that a record that fits is a few stores.
template <class... Ints> BOOL Params(Dc& dc, uint16_t function, Ints... params)
{
    if (!Fits(dc.recorder, sizeof...(params))) [[unlikely]]
        return GrownParams(dc, function, params...);
    uint8_t* p = Append(dc.recorder, function, sizeof...(params)) + 2 * sizeof...(params);
    ((p -= 2, Word(p, static_cast<uint32_t>(params))), ...);
    return TRUE;
}

template <class... Ints> [[gnu::noinline]] BOOL GrownParams(Dc& dc, uint16_t function, Ints... params)
{
    Grow(dc.recorder, dc.recorder.used + 6 + 2 * sizeof...(params));
    return Params(dc, function, params...);
}

int FindSlot(const Recorder& rec, uintptr_t handle)
{
    const int fixed = std::min(rec.slotCount, Recorder::FixedSlots);
    for (int i = 0; i < fixed; ++i)
        if (rec.fixedSlots[i] == handle) return i;
    for (int i = fixed; i < rec.slotCount; ++i)
        if (rec.moreSlots[i - Recorder::FixedSlots] == handle) return i;
    return -1;
}

int AddSlot(Recorder& rec, uintptr_t handle)
{
    int index = FindSlot(rec, 0);
    if (index < 0) {
        if (rec.slotCount >= Recorder::FixedSlots) try {
                rec.moreSlots.push_back(0);
            } catch (...) {
                rec.failed = true;
                throw;
            }
        index = rec.slotCount++;
    }
    TableSlot(rec, index) = handle;
    if (++rec.liveSlots > rec.maxSlots) rec.maxSlots = rec.liveSlots;
    return index;
}

// LOGFONT16: height, width, escapement, orientation, weight in 16 bits, the
// eight style bytes, the face zero-padded to 32 bytes.
void PutLogFont16(uint8_t* p, const LOGFONTA& f)
{
    const LONG shorts[5] = {f.lfHeight, f.lfWidth, f.lfEscapement, f.lfOrientation, f.lfWeight};
    for (int i = 0; i < 5; ++i) PutWord(p + 2 * i, static_cast<uint16_t>(shorts[i]));
    const BYTE style[8] = {f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet,
                           f.lfOutPrecision, f.lfClipPrecision, f.lfQuality, f.lfPitchAndFamily};
    std::memcpy(p + 10, style, 8);
    std::memset(p + 18, 0, LF_FACESIZE);
    // GDI converts the face through a buffer one short of the field, so a face
    // of 31 characters (the most the field holds) is recorded as no face.
    const std::size_t length = strnlen(f.lfFaceName, LF_FACESIZE);
    if (length < LF_FACESIZE - 1) std::memcpy(p + 18, f.lfFaceName, length);
}

void RecordCreate(Dc& dc, const Object& o)
{
    Recorder& rec = dc.recorder;
    switch (o.kind) {
    case Kind::Brush: {
        const auto& b = static_cast<const Brush&>(o);
        uint8_t* p = Append(rec, META_CREATEBRUSHINDIRECT, 4);
        PutWord(p, static_cast<uint16_t>(b.style));
        PutDword(p + 2, b.color);
        PutWord(p + 6, static_cast<uint16_t>(b.hatch));
        break;
    }
    case Kind::Pen: {
        const auto& pen = static_cast<const Pen&>(o);
        uint8_t* p = Append(rec, META_CREATEPENINDIRECT, 5);
        PutWord(p, static_cast<uint16_t>(pen.style));
        PutWord(p + 2, static_cast<uint16_t>(pen.width.x));
        PutWord(p + 4, static_cast<uint16_t>(pen.width.y));
        PutDword(p + 6, pen.color);
        break;
    }
    case Kind::Font:
        PutLogFont16(Append(rec, META_CREATEFONTINDIRECT, LogFont16Words), static_cast<const Font&>(o).logfont);
        break;
    default: break;
    }
}

} // namespace

BOOL MetaSetTextAlign(Dc& dc, UINT align) { return Params(dc, META_SETTEXTALIGN, Hi(align), Lo(align)); }
BOOL MetaSetTextColor(Dc& dc, COLORREF color) { return Params(dc, META_SETTEXTCOLOR, Hi(color), Lo(color)); }
BOOL MetaSetBkColor(Dc& dc, COLORREF color) { return Params(dc, META_SETBKCOLOR, Hi(color), Lo(color)); }
BOOL MetaSetBkMode(Dc& dc, int mode) { return Params(dc, META_SETBKMODE, mode); }
BOOL MetaSetMapMode(Dc& dc, int mode) { return Params(dc, META_SETMAPMODE, mode); }
BOOL MetaSetWindowExt(Dc& dc, int x, int y) { return Params(dc, META_SETWINDOWEXT, x, y); }
BOOL MetaSetViewportExt(Dc& dc, int x, int y) { return Params(dc, META_SETVIEWPORTEXT, x, y); }
BOOL MetaSetWindowOrg(Dc& dc, int x, int y) { return Params(dc, META_SETWINDOWORG, x, y); }
BOOL MetaSetViewportOrg(Dc& dc, int x, int y) { return Params(dc, META_SETVIEWPORTORG, x, y); }
BOOL MetaRectangle(Dc& dc, int left, int top, int right, int bottom)
{
    return Params(dc, META_RECTANGLE, left, top, right, bottom);
}
BOOL MetaPatBlt(Dc& dc, int x, int y, int width, int height, DWORD rop)
{
    return Params(dc, META_PATBLT, x, y, width, height, Hi(rop), Lo(rop));
}

HGDIOBJ MetaSelectObject(Dc& dc, Object& object)
{
    Object* o = &object;
    HGDIOBJ* current = o->kind == Kind::Brush ? &dc.brush : o->kind == Kind::Pen ? &dc.pen
                     : o->kind == Kind::Font  ? &dc.font  : nullptr;
    if (!current) return nullptr; // bitmaps and palettes are not selected into metafiles
    Recorder& rec = dc.recorder;
    int index = FindSlot(rec, o->handle);
    if (index < 0) {
        if (!o->stock) {
            std::lock_guard guard(HandleLock());
            if (!HasHandleLocked(*o)) return nullptr; // deleted meanwhile
            try {
                o->recordedIn.push_back(static_cast<HDC>(HandleOf(dc)));
            } catch (...) {
                rec.failed = true;
                throw;
            }
        }
        RecordCreate(dc, *o);
        index = AddSlot(rec, o->handle);
    }
    Params(dc, META_SELECTOBJECT, index);
    HGDIOBJ previous = *current;
    *current = HandleOf(*o);
    return previous;
}

void MetaForgetObject(HDC hdc, uintptr_t handle)
{
    const std::shared_ptr<Dc> dc = LookupAs<Dc>(hdc, Kind::Dc);
    if (!dc) return;
    std::lock_guard guard(dc->lock);
    if (!dc->metafile) return;
    Recorder& rec = dc->recorder;
    const int index = FindSlot(rec, handle);
    if (index < 0) return;
    const auto h = reinterpret_cast<HGDIOBJ>(handle);
    if (dc->brush == h || dc->pen == h || dc->font == h) return; // selected: no record, the index stays taken
    try {
        Params(*dc, META_DELETEOBJECT, index);
    } catch (...) {
        NoteMemoryFailure(); // the object goes all the same; this metafile is refused
    }
    TableSlot(rec, index) = 0;
    --rec.liveSlots;
}

// TextOutA is recorded as META_EXTTEXTOUT without options, clipping rectangle
// or spacing: y, x, count, options 0, the characters padded to a word.
BOOL MetaTextOut(Dc& dc, int x, int y, const char* chars, int count)
{
    if (count > 0x7FFF) return FALSE; // the record counts characters in 16 bits
    uint8_t* p = Append(dc.recorder, META_EXTTEXTOUT, 4 + (std::size_t(count) + 1) / 2);
    Word(p, static_cast<uint32_t>(y));
    Word(p + 2, static_cast<uint32_t>(x));
    Word(p + 4, static_cast<uint32_t>(count));
    Word(p + 6, 0);
    if (count % 2) p[8 + count] = 0;
    if (count > 2)
        std::memcpy(p + 8, chars, count);
    else if (count) // the frame's digits, one or two at a time
        Word(p + 8, static_cast<uint8_t>(chars[0]) | (count == 2 ? static_cast<uint8_t>(chars[1]) << 8 : 0));
    return TRUE;
}

} // namespace lumtar::platform

using namespace lumtar;
using namespace lumtar::platform;

namespace {

HMETAFILE RegisterMetafile(std::shared_ptr<MetafileBits> m)
{
    return static_cast<HMETAFILE>(Register(std::move(m)));
}

// --- Playback ---

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
    HGDIOBJ At(uint16_t index) const { return index < table.size() ? table[index] : nullptr; }
};

int16_t S(const uint16_t* p, std::size_t i) { return static_cast<int16_t>(p[i]); }
DWORD L(const uint16_t* p, std::size_t i) { return p[i] | static_cast<DWORD>(p[i + 1]) << 16; }

// Characters stored from byte `offset` of the parameters, if all of them are there.
const char* TextAt(const std::vector<uint16_t>& params, std::size_t offsetBytes, std::size_t count)
{
    if (offsetBytes + count > 2 * params.size()) return nullptr;
    return reinterpret_cast<const char*>(params.data()) + offsetBytes;
}

void PlayRecord(Player& player, uint16_t function, const std::vector<uint16_t>& params)
{
    const std::size_t n = params.size();
    const uint16_t* p = params.data();
    HDC dc = player.hdc;
    switch (function) {
    case META_SETBKCOLOR: if (n >= 2) SetBkColor(dc, L(p, 0)); break;
    case META_SETBKMODE: if (n >= 1) SetBkMode(dc, S(p, 0)); break;
    case META_SETMAPMODE: if (n >= 1) SetMapMode(dc, S(p, 0)); break;
    case META_SETTEXTCOLOR: if (n >= 2) SetTextColor(dc, L(p, 0)); break;
    case META_SETTEXTALIGN: if (n >= 1) SetTextAlign(dc, p[0]); break;
    case META_SETWINDOWORG: if (n >= 2) SetWindowOrgEx(dc, S(p, 1), S(p, 0), nullptr); break;
    case META_SETWINDOWEXT: if (n >= 2) SetWindowExtEx(dc, S(p, 1), S(p, 0), nullptr); break;
    case META_SETVIEWPORTORG: if (n >= 2) SetViewportOrgEx(dc, S(p, 1), S(p, 0), nullptr); break;
    case META_SETVIEWPORTEXT: if (n >= 2) SetViewportExtEx(dc, S(p, 1), S(p, 0), nullptr); break;
    case META_RECTANGLE: if (n >= 4) Rectangle(dc, S(p, 3), S(p, 2), S(p, 1), S(p, 0)); break;
    case META_PATBLT: if (n >= 6) PatBlt(dc, S(p, 5), S(p, 4), S(p, 3), S(p, 2), L(p, 0)); break;
    case META_SELECTOBJECT: if (n >= 1) SelectObject(dc, player.At(p[0])); break;
    case META_DELETEOBJECT:
        if (n >= 1 && player.At(p[0])) {
            DeleteObject(player.table[p[0]]);
            player.table[p[0]] = nullptr;
        }
        break;
    case META_CREATEBRUSHINDIRECT:
        if (n >= 4) player.Add(NewBrush(p[0], L(p, 1), p[3]));
        break;
    case META_CREATEPENINDIRECT:
        if (n >= 5) player.Add(NewPen(p[0], {S(p, 1), S(p, 2)}, L(p, 3)));
        break;
    case META_CREATEFONTINDIRECT:
        if (n >= 9) {
            LOGFONTA f{};
            f.lfHeight = S(p, 0);
            f.lfWidth = S(p, 1);
            f.lfEscapement = S(p, 2);
            f.lfOrientation = S(p, 3);
            f.lfWeight = S(p, 4);
            const auto* bytes = reinterpret_cast<const uint8_t*>(p + 5);
            f.lfItalic = bytes[0];
            f.lfUnderline = bytes[1];
            f.lfStrikeOut = bytes[2];
            f.lfCharSet = bytes[3];
            f.lfOutPrecision = bytes[4];
            f.lfClipPrecision = bytes[5];
            f.lfQuality = bytes[6];
            f.lfPitchAndFamily = bytes[7];
            const std::size_t faceBytes = std::min<std::size_t>(2 * n - 18, LF_FACESIZE - 1);
            std::memcpy(f.lfFaceName, bytes + 8, faceBytes);
            player.Add(CreateFontIndirectA(&f));
        }
        break;
    case META_TEXTOUT: // count, characters, y, x
        if (n >= 1) {
            const std::size_t count = p[0], after = 1 + (count + 1) / 2;
            const char* chars = TextAt(params, 2, count);
            if (chars && n >= after + 2) TextOutA(dc, S(p, after + 1), S(p, after), chars, static_cast<int>(count));
        }
        break;
    case META_EXTTEXTOUT: // y, x, count, options, [rectangle], characters, [spacing]
        if (n >= 4) {
            const std::size_t count = p[2];
            const std::size_t first = (p[3] & 0x0006) ? 16 : 8; // ETO_OPAQUE and ETO_CLIPPED carry a rectangle
            const char* chars = TextAt(params, first, count);
            if (chars) TextOutA(dc, S(p, 1), S(p, 0), chars, static_cast<int>(count));
        }
        break;
    default: break; // records this layer never writes are passed over
    }
}

} // namespace

extern "C" {

HDC WINAPI CreateMetaFileA(LPCSTR path)
try {
    if (path) return nullptr; // memory metafiles only
    auto dc = Make<Dc>();
    if (!dc) return nullptr;
    dc->metafile = true;
    dc->brush = GetStockObject(WHITE_BRUSH);
    dc->pen = GetStockObject(BLACK_PEN);
    dc->font = DeviceDefaultFont();
    Recorder& rec = dc->recorder;
    rec.bytes.resize(1024); // the room a symbol's records take
    std::memcpy(rec.bytes.data(), EmptyHeader, HeaderBytes);
    rec.used = HeaderBytes;
    return static_cast<HDC>(Register(std::move(dc)));
} catch (...) {
    return OutOfMemory(nullptr);
}

HMETAFILE WINAPI CloseMetaFile(HDC hdc)
try {
    const std::shared_ptr<Dc> dc = LookupAs<Dc>(hdc, Kind::Dc);
    if (!dc || !dc->metafile) return nullptr;
    // The DC goes whatever becomes of its metafile; one that misses a record
    // for lack of memory gives none.
    auto m = Make<MetafileBits>();
    if (m) {
        std::lock_guard guard(dc->lock);
        bool complete = !dc->recorder.failed;
        try {
            if (complete) Append(dc->recorder, META_EOF, 0);
        } catch (...) {
            complete = OutOfMemory(false);
        }
        if (complete) {
            Recorder& rec = dc->recorder;
            uint8_t* header = rec.bytes.data();
            PutDword(header + SizeAt, static_cast<uint32_t>(rec.used / 2));
            PutWord(header + ObjectsAt, static_cast<uint16_t>(rec.maxSlots));
            PutDword(header + MaxRecordAt, rec.maxRecord);
            rec.bytes.resize(rec.used);
            m->bytes = std::move(rec.bytes);
        } else {
            m.reset();
        }
    }
    DeleteDC(hdc); // lets go of the object table
    return m ? RegisterMetafile(std::move(m)) : nullptr;
} catch (...) {
    return OutOfMemory(nullptr);
}

HMETAFILE WINAPI SetMetaFileBitsEx(UINT size, const BYTE* bits)
try {
    if (!bits || size < HeaderBytes || size % 2) return nullptr;
    if (GetWord(bits) != 1 || GetWord(bits + 2) != 9 || GetWord(bits + 4) != 0x0300) return nullptr;
    auto m = Make<MetafileBits>();
    if (!m) return nullptr;
    m->bytes.assign(bits, bits + size);
    PutDword(m->bytes.data() + SizeAt, size / 2); // the size is the one given
    return RegisterMetafile(std::move(m));
} catch (...) {
    return OutOfMemory(nullptr);
}

// Plays the records onto `hdc` with a fresh object table; afterwards the DC's
// pen and brush are selected back and the objects the records created are
// deleted, as GDI does (the font and the mapping stay as the records left them).
BOOL WINAPI PlayMetaFile(HDC hdc, HMETAFILE metafile)
try {
    const std::shared_ptr<MetafileBits> m = MetafileOf(metafile);
    const std::shared_ptr<Dc> dc = LookupAs<Dc>(hdc, Kind::Dc);
    if (!m || !dc) return FALSE;
    const std::vector<uint8_t>& bytes = m->bytes; // kept by m if its handle is deleted meanwhile
    if (bytes.size() < HeaderBytes) return FALSE;
    HGDIOBJ pen, brush;
    {
        std::lock_guard guard(dc->lock);
        pen = dc->pen;
        brush = dc->brush;
    }
    Player player{hdc, std::vector<HGDIOBJ>(GetWord(bytes.data() + ObjectsAt), nullptr)};
    std::vector<uint16_t> params;
    bool complete = true; // without memory for a record's parameters, the objects made so far still go
    try {
        for (std::size_t at = 2 * std::size_t(GetWord(bytes.data() + 2)); at + 6 <= bytes.size();) {
            const uint32_t size = GetDword(&bytes[at]);
            const uint16_t function = GetWord(&bytes[at + 4]);
            if (function == META_EOF || size < 3 || size > (bytes.size() - at) / 2) break;
            params.resize(size - 3);
            std::memcpy(params.data(), &bytes[at + 6], 2 * params.size()); // little-endian hosts
            PlayRecord(player, function, params);
            at += 2 * std::size_t(size);
        }
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
