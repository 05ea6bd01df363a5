// The file and memory exports of lumtar32.h (BarToWmf, BarToBmp) and
// lumtar32_formats.h: argument checks, then the picture made in memory by
// output/'s pipeline and handed to its sink, a file or the caller's buffer.
// Under the guard (api/guard.h): memory that runs out anywhere in them is
// BarErrGdi, no file is written after it ran out, and nothing thrown inside
// leaves them.
#include <utility>

#include "lumtar32_formats.h"
#include "api/guard.h"
#include "output/encoders.h"

namespace {

using lumtar::Bytes;
using lumtar::Picture;

struct Request {
    const char* text;
    const LOGFONTA* font;
    int types, narrow, wide;
};

// Through Bar2HdcEx: a drawing in which memory ran out counts as none.
int DrawRequest(HDC dc, const RECT* rect, const void* context)
{
    const auto* r = static_cast<const Request*>(context);
    return Bar2HdcEx(dc, r->text, rect, r->font, r->types, r->narrow, r->wide) ? BarOk : BarErrCode;
}

// The picture of a text, delivered into the sink.
int DeliverText(const lumtar::Sink& sink, int format, const char* text, const LOGFONTA* font, int width, int height,
            int physWidth, int physHeight, int types, int narrow = 0, int wide = 0)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        if (!sink.memory && !sink.path) return BarErrFile;
        if (!text) return BarErrCode;
        const Request request{text, font, types, narrow, wide};
        Picture picture;
        const int made =
            lumtar::PictureOf(format, width, height, physWidth, physHeight, DrawRequest, &request, picture);
        return lumtar::Deliver(made, picture, sink);
    });
}

} // namespace

extern "C" {

int LUMTAR_CALL BarToWmf(const char* path, const char* text, const LOGFONTA* font, int width, int height, int types)
{
    if (!text) return BarErrCode;
    return DeliverText(lumtar::FileSink(path), BarFmtWmf, text, font, width, height, 0, 0, types);
}

int LUMTAR_CALL BarToBmp(const char* path, const char* text, const LOGFONTA* font, int pixelWidth, int pixelHeight,
                         int physWidth, int physHeight, int types)
{
    if (!text) return BarErrCode;
    return DeliverText(lumtar::FileSink(path), BarFmtBmp, text, font, pixelWidth, pixelHeight, physWidth, physHeight, types);
}

int LUMTAR_CALL BarToFile(const char* path, int format, const char* text, const LOGFONTA* font, int width, int height,
                          int physWidth, int physHeight, int types, int narrow, int wide)
{
    return DeliverText(lumtar::FileSink(path), format, text, font, width, height, physWidth, physHeight, types, narrow, wide);
}

int LUMTAR_CALL BarToMemory(void* buffer, unsigned int size, unsigned int* needed, int format, const char* text,
                            const LOGFONTA* font, int width, int height, int physWidth, int physHeight, int types,
                            int narrow, int wide)
{
    if (needed) *needed = 0;
    return DeliverText(lumtar::MemorySink(buffer, size, needed), format, text, font, width, height, physWidth, physHeight,
                   types, narrow, wide);
}

int LUMTAR_CALL BarToPng(const char* path, const char* text, const LOGFONTA* font, int pixelWidth, int pixelHeight,
                         int physWidth, int physHeight, int types, int narrow, int wide)
{
    return BarToFile(path, BarFmtPng, text, font, pixelWidth, pixelHeight, physWidth, physHeight, types, narrow, wide);
}

int LUMTAR_CALL BarToSvg(const char* path, const char* text, const LOGFONTA* font, int width, int height, int types,
                         int narrow, int wide)
{
    return BarToFile(path, BarFmtSvg, text, font, width, height, 0, 0, types, narrow, wide);
}

int LUMTAR_CALL BarToPdf(const char* path, const char* text, const LOGFONTA* font, int width, int height, int types,
                         int narrow, int wide)
{
    return BarToFile(path, BarFmtPdf, text, font, width, height, 0, 0, types, narrow, wide);
}

int LUMTAR_CALL BarToEps(const char* path, const char* text, const LOGFONTA* font, int width, int height, int types,
                         int narrow, int wide)
{
    return BarToFile(path, BarFmtEps, text, font, width, height, 0, 0, types, narrow, wide);
}

int LUMTAR_CALL BarMetaFileToMemory(HMETAFILE metafile, int format, int width, int height, void* buffer,
                                    unsigned int size, unsigned int* needed)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        if (needed) *needed = 0;
        if (format < BarFmtWmf || format > BarFmtEmf || lumtar::RasterFormat(format)) return BarErrFile;
        if (!lumtar::VectorSizeFits(format, width, height)) return BarErrGdi;
        const UINT length = metafile ? GetMetaFileBitsEx(metafile, 0, nullptr) : 0;
        if (length == 0) return BarErrGdi;
        Bytes bits(length);
        if (GetMetaFileBitsEx(metafile, length, bits.data()) != length) return BarErrGdi;
        Picture picture;
        const int made = lumtar::PictureOfBits(format, std::move(bits), width, height, picture);
        return lumtar::Deliver(made, picture, lumtar::MemorySink(buffer, size, needed));
    });
}

int LUMTAR_CALL BarBitmapToMemory(HBITMAP bitmap, int format, int physWidth, int physHeight, void* buffer,
                                  unsigned int size, unsigned int* needed)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        if (needed) *needed = 0;
        if (!lumtar::RasterFormat(format)) return BarErrFile;
        Bytes rows;
        int width = 0, height = 0;
        if (!lumtar::RowsOfBitmap(bitmap, rows, width, height)) return BarErrGdi;
        Picture picture;
        const int made = lumtar::PictureOfRows(format, std::move(rows), width, height, physWidth, physHeight, picture);
        return lumtar::Deliver(made, picture, lumtar::MemorySink(buffer, size, needed));
    });
}

} // extern "C"
