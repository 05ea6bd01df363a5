// Memory metafiles: the recorder behind metafile DCs and the bits of a
// closed metafile. The records themselves are written by the format's codec
// (wmf.h); this unit keeps what a recording DC keeps.
//
// The header's size and largest record are counted by one append routine,
// its object count by the object table; CloseMetaFile writes them into the
// header. Records go straight into their place in the bytes, which are
// handed to the closed metafile as they are. An object is written to the
// metafile's object table the first time it is selected (stock objects
// included, as ordinary create records), takes the lowest free index, and
// keeps it until DeleteObject writes its delete record; an object still
// selected when it is deleted keeps its index.
#include "platform/metafile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "platform/wmf.h"

namespace lumtar::platform {
namespace {

using wmf::Call;
using wmf::Op;

// Appends the call's record, the room grown to at least twice what there
// was; marks the recorder failed (and throws) when memory runs out. FALSE
// for a call no record holds.
BOOL Record(Recorder& rec, const Call& call)
{
    const std::size_t bytes = wmf::RecordBytes(call);
    if (bytes == 0) return FALSE;
    if (rec.used + bytes > rec.bytes.size()) {
        try {
            rec.bytes.resize(std::max(rec.used + bytes, 2 * rec.bytes.size()));
        } catch (...) {
            rec.failed = true;
            throw;
        }
    }
    wmf::PutRecord(rec.bytes.data() + rec.used, call, bytes);
    rec.used += bytes;
    rec.maxRecord = std::max(rec.maxRecord, static_cast<uint32_t>(bytes / 2));
    return TRUE;
}

BOOL RecordValue(Dc& dc, Op op, uint32_t value)
{
    Call call;
    call.op = op;
    call.value = value;
    return Record(dc.recorder, call);
}

BOOL RecordArgs(Dc& dc, Op op, int a, int b, int c = 0, int d = 0, uint32_t value = 0)
{
    Call call;
    call.op = op;
    call.args[0] = a, call.args[1] = b, call.args[2] = c, call.args[3] = d;
    call.value = value;
    return Record(dc.recorder, call);
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

// The font as GDI records it. GDI converts the face through a buffer one
// short of the field, so a face of 31 characters (the most the field holds)
// is recorded as no face.
wmf::FontRecord FontRecordOf(const LOGFONTA& f)
{
    wmf::FontRecord r;
    r.height = f.lfHeight, r.width = f.lfWidth, r.escapement = f.lfEscapement;
    r.orientation = f.lfOrientation, r.weight = f.lfWeight;
    r.italic = f.lfItalic, r.underline = f.lfUnderline, r.strikeOut = f.lfStrikeOut, r.charSet = f.lfCharSet;
    r.outPrecision = f.lfOutPrecision, r.clipPrecision = f.lfClipPrecision;
    r.quality = f.lfQuality, r.pitchAndFamily = f.lfPitchAndFamily;
    const std::size_t length = strnlen(f.lfFaceName, LF_FACESIZE);
    if (length < LF_FACESIZE - 1) std::memcpy(r.face, f.lfFaceName, length);
    return r;
}

void RecordCreate(Dc& dc, const GdiObject& o)
{
    Call call;
    switch (o.kind) {
    case Kind::Brush: {
        const auto& b = static_cast<const Brush&>(o);
        call.op = Op::CreateBrush, call.value = b.style, call.color = b.color, call.hatch = b.hatch;
        break;
    }
    case Kind::Pen: {
        const auto& pen = static_cast<const Pen&>(o);
        call.op = Op::CreatePen, call.value = pen.style, call.color = pen.color;
        call.args[0] = pen.width.x, call.args[1] = pen.width.y;
        break;
    }
    case Kind::Font:
        call.op = Op::CreateFont, call.font = FontRecordOf(static_cast<const Font&>(o).logfont);
        break;
    default: return;
    }
    Record(dc.recorder, call);
}

} // namespace

BOOL MetaSetTextAlign(Dc& dc, UINT align) { return RecordValue(dc, Op::SetTextAlign, align); }
BOOL MetaSetTextColor(Dc& dc, COLORREF color) { return RecordValue(dc, Op::SetTextColor, color); }
BOOL MetaSetBkColor(Dc& dc, COLORREF color) { return RecordValue(dc, Op::SetBkColor, color); }
BOOL MetaSetBkMode(Dc& dc, int mode) { return RecordValue(dc, Op::SetBkMode, static_cast<uint32_t>(mode)); }
BOOL MetaSetMapMode(Dc& dc, int mode) { return RecordValue(dc, Op::SetMapMode, static_cast<uint32_t>(mode)); }
BOOL MetaSetWindowExt(Dc& dc, int x, int y) { return RecordArgs(dc, Op::SetWindowExt, x, y); }
BOOL MetaSetViewportExt(Dc& dc, int x, int y) { return RecordArgs(dc, Op::SetViewportExt, x, y); }
BOOL MetaSetWindowOrg(Dc& dc, int x, int y) { return RecordArgs(dc, Op::SetWindowOrg, x, y); }
BOOL MetaSetViewportOrg(Dc& dc, int x, int y) { return RecordArgs(dc, Op::SetViewportOrg, x, y); }
BOOL MetaRectangle(Dc& dc, int left, int top, int right, int bottom)
{
    return RecordArgs(dc, Op::Rectangle, left, top, right, bottom);
}
BOOL MetaPatBlt(Dc& dc, int x, int y, int width, int height, DWORD rop)
{
    return RecordArgs(dc, Op::PatBlt, x, y, width, height, rop);
}

HGDIOBJ MetaSelectObject(Dc& dc, GdiObject& object)
{
    GdiObject* o = &object;
    HGDIOBJ* current = o->kind == Kind::Brush ? &dc.brush : o->kind == Kind::Pen ? &dc.pen
                     : o->kind == Kind::Font  ? &dc.font  : nullptr;
    if (!current) return nullptr; // bitmaps and palettes are not selected into metafiles
    Recorder& rec = dc.recorder;
    int index = FindSlot(rec, o->handle);
    if (index < 0) {
        if (!o->stock) {
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
    RecordValue(dc, Op::SelectObject, static_cast<uint32_t>(index));
    HGDIOBJ previous = *current;
    *current = HandleOf(*o);
    return previous;
}

void MetaForgetObject(HDC hdc, uintptr_t handle)
{
    LockedDc dc(hdc);
    if (!dc || !dc->metafile) return;
    Recorder& rec = dc->recorder;
    const int index = FindSlot(rec, handle);
    if (index < 0) return;
    const auto h = reinterpret_cast<HGDIOBJ>(handle);
    if (dc->brush == h || dc->pen == h || dc->font == h) return; // selected: no record, the index stays taken
    try {
        RecordValue(*dc, Op::DeleteObject, static_cast<uint32_t>(index));
    } catch (...) {
        NoteMemoryFailure(); // the object goes all the same; this metafile is refused
    }
    TableSlot(rec, index) = 0;
    --rec.liveSlots;
}

// FALSE past 0x7FFF characters: the record counts them in 16 bits.
BOOL MetaTextOut(Dc& dc, int x, int y, const char* chars, int count)
{
    Call call;
    call.op = Op::TextOut;
    call.args[0] = x, call.args[1] = y;
    call.chars = chars, call.count = static_cast<std::size_t>(count);
    return Record(dc.recorder, call);
}

} // namespace lumtar::platform

using namespace lumtar;
using namespace lumtar::platform;

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
    wmf::PutHeader(rec.bytes.data(), 0, 0, 0);
    rec.used = wmf::HeaderBytes;
    return static_cast<HDC>(Register(std::move(dc)));
} catch (...) {
    return OutOfMemory(nullptr);
}

HMETAFILE WINAPI CloseMetaFile(HDC hdc)
try {
    // The DC goes whatever becomes of its metafile; one that misses a record
    // for lack of memory gives none.
    std::shared_ptr<MetafileBits> m;
    {
        LockedDc dc(hdc);
        if (!dc || !dc->metafile) return nullptr;
        m = Make<MetafileBits>();
        bool complete = m && !dc->recorder.failed;
        try {
            if (complete) RecordValue(*dc, Op::Eof, 0);
        } catch (...) {
            complete = OutOfMemory(false);
        }
        if (complete) {
            Recorder& rec = dc->recorder;
            wmf::PutHeader(rec.bytes.data(), static_cast<uint32_t>(rec.used / 2), static_cast<uint16_t>(rec.maxSlots),
                           rec.maxRecord);
            rec.bytes.resize(rec.used);
            m->bytes = std::move(rec.bytes);
        } else {
            m.reset();
        }
    }
    DeleteDC(hdc); // lets go of the object table
    return m ? static_cast<HMETAFILE>(Register(std::move(m))) : nullptr;
} catch (...) {
    return OutOfMemory(nullptr);
}

HMETAFILE WINAPI SetMetaFileBitsEx(UINT size, const BYTE* bits)
try {
    if (!wmf::IsHeader(bits, size) || size % 2) return nullptr;
    auto m = Make<MetafileBits>();
    if (!m) return nullptr;
    m->bytes.assign(bits, bits + size);
    wmf::SetSizeWords(m->bytes.data(), size / 2); // the size is the one given
    return static_cast<HMETAFILE>(Register(std::move(m)));
} catch (...) {
    return OutOfMemory(nullptr);
}

} // extern "C"
