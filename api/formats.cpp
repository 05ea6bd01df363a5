// The exports of lumtar32_formats.h: argument checks, then the picture made in
// memory by output/ and stored into a file or the caller's buffer. Under the
// guard (api/guard.h): memory that runs out anywhere in them is BarErrGdi,
// and nothing thrown inside leaves them.
#include "lumtar32_formats.h"
#include "api/guard.h"
#include "output/encoders.h"

namespace {

using lumtar::Bytes;

struct Request {
    const char* text;
    const LOGFONTA* font;
    int types, narrow, wide;
};

int DrawRequest(HDC dc, const RECT* rect, const void* context)
{
    const auto* r = static_cast<const Request*>(context);
    return Bar2HdcEx(dc, r->text, rect, r->font, r->types, r->narrow, r->wide);
}

int Picture(int format, const char* text, const LOGFONTA* font, int width, int height, int physWidth, int physHeight,
            int types, int narrow, int wide, Bytes& out)
{
    if (!text) return BarErrCode;
    const Request request{text, font, types, narrow, wide};
    return lumtar::PictureOf(format, width, height, physWidth, physHeight, DrawRequest, &request, out);
}

int ToFile(const char* path, int format, const char* text, const LOGFONTA* font, int width, int height, int physWidth,
           int physHeight, int types, int narrow, int wide)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        if (!path) return BarErrFile;
        Bytes picture;
        const int result = Picture(format, text, font, width, height, physWidth, physHeight, types, narrow, wide, picture);
        return result == BarOk ? lumtar::StoreFile(path, picture) : result;
    });
}

// Stores a finished picture, or reports no size for a failed one.
int ToMemory(int result, const Bytes& picture, void* buffer, unsigned int size, unsigned int* needed)
{
    if (needed) *needed = 0;
    return result == BarOk ? lumtar::StoreMemory(picture, buffer, size, needed) : result;
}

} // namespace

extern "C" {

int LUMTAR_CALL BarToFile(const char* path, int format, const char* text, const LOGFONTA* font, int width, int height,
                          int physWidth, int physHeight, int types, int narrow, int wide)
{
    return ToFile(path, format, text, font, width, height, physWidth, physHeight, types, narrow, wide);
}

int LUMTAR_CALL BarToMemory(void* buffer, unsigned int size, unsigned int* needed, int format, const char* text,
                            const LOGFONTA* font, int width, int height, int physWidth, int physHeight, int types,
                            int narrow, int wide)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        Bytes picture;
        const int result = Picture(format, text, font, width, height, physWidth, physHeight, types, narrow, wide, picture);
        return ToMemory(result, picture, buffer, size, needed);
    });
}

int LUMTAR_CALL BarToPng(const char* path, const char* text, const LOGFONTA* font, int pixelWidth, int pixelHeight,
                         int physWidth, int physHeight, int types, int narrow, int wide)
{
    return ToFile(path, BarFmtPng, text, font, pixelWidth, pixelHeight, physWidth, physHeight, types, narrow, wide);
}

int LUMTAR_CALL BarToSvg(const char* path, const char* text, const LOGFONTA* font, int width, int height, int types,
                         int narrow, int wide)
{
    return ToFile(path, BarFmtSvg, text, font, width, height, 0, 0, types, narrow, wide);
}

int LUMTAR_CALL BarToPdf(const char* path, const char* text, const LOGFONTA* font, int width, int height, int types,
                         int narrow, int wide)
{
    return ToFile(path, BarFmtPdf, text, font, width, height, 0, 0, types, narrow, wide);
}

int LUMTAR_CALL BarToEps(const char* path, const char* text, const LOGFONTA* font, int width, int height, int types,
                         int narrow, int wide)
{
    return ToFile(path, BarFmtEps, text, font, width, height, 0, 0, types, narrow, wide);
}

int LUMTAR_CALL BarMetaFileToMemory(HMETAFILE metafile, int format, int width, int height, void* buffer,
                                    unsigned int size, unsigned int* needed)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        if (needed) *needed = 0;
        if (format != BarFmtWmf && format != BarFmtSvg && format != BarFmtPdf && format != BarFmtEps && format != BarFmtEmf)
            return BarErrFile;
        if (!lumtar::VectorSizeFits(format, width, height)) return BarErrGdi;
        const UINT length = metafile ? GetMetaFileBitsEx(metafile, 0, nullptr) : 0;
        if (length == 0) return BarErrGdi;
        Bytes bits(length);
        if (GetMetaFileBitsEx(metafile, length, bits.data()) != length) return BarErrGdi;
        Bytes picture;
        return ToMemory(lumtar::PictureOfBits(format, bits, width, height, picture), picture, buffer, size, needed);
    });
}

int LUMTAR_CALL BarBitmapToMemory(HBITMAP bitmap, int format, int physWidth, int physHeight, void* buffer,
                                  unsigned int size, unsigned int* needed)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        if (needed) *needed = 0;
        if (format != BarFmtBmp && format != BarFmtPng && format != BarFmtTif) return BarErrFile;
        Bytes rows;
        int width = 0, height = 0;
        if (!lumtar::RowsOfBitmap(bitmap, rows, width, height)) return BarErrGdi;
        Bytes picture;
        return ToMemory(lumtar::PictureOfRows(format, rows, width, height, physWidth, physHeight, picture), picture,
                        buffer, size, needed);
    });
}

} // extern "C"
