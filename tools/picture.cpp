#include "picture.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include "lumtar32_formats.h"
#endif

namespace tool {
namespace {

// Little-endian fields, whatever the host.
void Put(Bytes& b, std::size_t at, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t PixelsPerMetre(int pixels, int hundredths)
{
    if (hundredths <= 0) return 0;
    const int64_t ppm = int64_t{pixels} * 100000 / hundredths;
    return ppm > INT32_MAX ? INT32_MAX : static_cast<uint32_t>(ppm);
}

// The placeable header (key, bounding box, 2540 units per inch, checksum)
// and the metafile's own bytes.
int WmfBytes(HMETAFILE metafile, Size size, Bytes& bytes)
{
    constexpr std::size_t Header = 22;
    const UINT bits = GetMetaFileBitsEx(metafile, 0, nullptr);
    if (bits == 0) return BarErrGdi;
    bytes.assign(Header + bits, 0);
    Put(bytes, 0, 0x9AC6CDD7, 4);
    Put(bytes, 10, static_cast<uint32_t>(size.width), 2);
    Put(bytes, 12, static_cast<uint32_t>(size.height), 2);
    Put(bytes, 14, 2540, 2);
    uint32_t checksum = 0;
    for (std::size_t at = 0; at < 20; at += 2) checksum ^= bytes[at] | bytes[at + 1] << 8;
    Put(bytes, 20, checksum, 2);
    return GetMetaFileBitsEx(metafile, bits, bytes.data() + Header) == bits ? BarOk : BarErrGdi;
}

// File header, info header, black and white palette, then the rows bottom-up
// as GetDIBits gives them.
int BmpBytes(HDC dc, HBITMAP bitmap, Size size, Size phys, Bytes& bytes)
{
    constexpr std::size_t Offset = 14 + 40 + 8;
    const int64_t image = (int64_t{size.width} + 31) / 32 * 4 * size.height;
    if (Offset + image > UINT32_MAX) return BarErrGdi;
#ifdef _WIN32
    bytes.assign(Offset + static_cast<std::size_t>(image), 0); // the system's GetDIBits may skip a row's padding
#else
    bytes.resize(Offset + static_cast<std::size_t>(image)); // GetDIBits writes every byte of the rows
    std::fill_n(bytes.begin(), Offset, uint8_t{0});
#endif
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put(bytes, 2, static_cast<uint32_t>(bytes.size()), 4);
    Put(bytes, 10, Offset, 4);
    Put(bytes, 14, 40, 4);
    Put(bytes, 18, static_cast<uint32_t>(size.width), 4);
    Put(bytes, 22, static_cast<uint32_t>(size.height), 4);
    Put(bytes, 26, 1, 2); // planes
    Put(bytes, 28, 1, 2); // bits per pixel
    Put(bytes, 34, static_cast<uint32_t>(image), 4);
    Put(bytes, 38, PixelsPerMetre(size.width, phys.width), 4);
    Put(bytes, 42, PixelsPerMetre(size.height, phys.height), 4);
    Put(bytes, 46, 2, 4); // colours used
    Put(bytes, 50, 2, 4); // colours important
    Put(bytes, 58, 0xFFFFFF, 3); // entry 1 white; entry 0 stays black

    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = size.width;
    info.header.biHeight = size.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = static_cast<DWORD>(image);
    info.header.biClrUsed = 2;
    const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(size.height), bytes.data() + Offset,
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    return rows == size.height ? BarOk : BarErrGdi;
}

#ifndef _WIN32
int FormatCode(Format f)
{
    switch (f) {
    case Format::Wmf: return BarFmtWmf;
    case Format::Bmp: return BarFmtBmp;
    case Format::Png: return BarFmtPng;
    case Format::Svg: return BarFmtSvg;
    case Format::Pdf: return BarFmtPdf;
    case Format::Eps: return BarFmtEps;
    }
    return 0;
}

// The library's two-step memory convention: ask the size, then fill.
template <class Encode> int LibraryBytes(Encode encode, Bytes& bytes)
{
    unsigned int needed = 0;
    int result = encode(nullptr, 0u, &needed);
    if (result != BarOk) return result;
    bytes.assign(needed, 0);
    result = encode(bytes.data(), needed, &needed);
    if (result == BarOk) bytes.resize(needed);
    return result;
}
#endif

int VectorPicture(const Resolved& r, const Style& s, const Plan& plan, Format format, Bytes& bytes)
{
    HDC dc = CreateMetaFileA(nullptr);
    if (!dc) return BarErrGdi;
    // Recorded ahead of the drawing: a player maps this window onto its target.
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, plan.surface.width, plan.surface.height, nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    const int drawn = DrawPicture(dc, r, s, plan);
    HMETAFILE metafile = CloseMetaFile(dc);
    if (!metafile) return BarErrGdi;
    int result = BarErrCode;
    if (drawn && format == Format::Wmf) {
        result = WmfBytes(metafile, plan.surface, bytes);
    } else if (drawn) {
#ifdef _WIN32
        result = BarErrGdi;
#else
        const Size size = plan.surface;
        result = LibraryBytes(
            [&](void* buffer, unsigned int room, unsigned int* needed) {
                return BarMetaFileToMemory(metafile, FormatCode(format), size.width, size.height, buffer, room, needed);
            },
            bytes);
#endif
    }
    DeleteMetaFile(metafile);
    return result;
}

int RasterPicture(const Resolved& r, const Style& s, const Plan& plan, Format format, Size phys, Bytes& bytes)
{
    const Size size = plan.surface;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(size.width, size.height, 1, 1, nullptr);
    if (!dc || !bitmap) {
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
        return BarErrGdi;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    const RECT all{0, 0, size.width, size.height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int drawn = DrawPicture(dc, r, s, plan);
    SelectObject(dc, previous); // the bits are read from a bitmap no context holds
    int result = BarErrCode;
    if (drawn && format == Format::Bmp) {
        result = BmpBytes(dc, bitmap, size, phys, bytes);
    } else if (drawn) {
#ifdef _WIN32
        result = BarErrGdi;
#else
        result = LibraryBytes(
            [&](void* buffer, unsigned int room, unsigned int* needed) {
                return BarBitmapToMemory(bitmap, FormatCode(format), phys.width, phys.height, buffer, room, needed);
            },
            bytes);
#endif
    }
    DeleteObject(bitmap);
    DeleteDC(dc);
    return result;
}

} // namespace

bool FormatAvailable(Format format)
{
#ifdef _WIN32
    return format == Format::Wmf || format == Format::Bmp;
#else
    static_cast<void>(format);
    return true; // every one, through the library's picture formats
#endif
}

int MakePicture(const Resolved& r, const Style& s, const Plan& plan, Format format, Size phys, Bytes& bytes)
{
    return IsRaster(format) ? RasterPicture(r, s, plan, format, phys, bytes) : VectorPicture(r, s, plan, format, bytes);
}

bool WriteBytes(const std::string& path, const Bytes& bytes)
{
    if (path == "-") {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
    }
    errno = 0;
#ifdef _WIN32
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool whole = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int saved = errno;
    const bool closed = std::fclose(file) == 0;
    if (!whole) errno = saved;
    return whole && closed;
#else
    // One open, the bytes in as few writes as the kernel takes, one close.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const uint8_t* at = bytes.data();
    for (std::size_t left = bytes.size(); left > 0;) {
        const ssize_t n = ::write(fd, at, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int cause = n < 0 ? errno : EIO;
            ::close(fd);
            errno = cause;
            return false;
        }
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 || errno == EINTR; // Linux closes the descriptor even then
#endif
}

} // namespace tool
