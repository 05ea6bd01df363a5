#include "job.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "resolve.h"

namespace tool {
namespace {

using Bytes = std::vector<unsigned char>;

// The tool records every vector picture as a metafile in hundredths of a
// millimetre: its coordinates, and the placeable header, have 16 signed bits.
constexpr int VectorLargest = 32767;

int FormatCode(Format f)
{
    constexpr int Codes[] = {BarFmtWmf, BarFmtBmp, BarFmtPng, BarFmtSvg, BarFmtPdf, BarFmtEps, BarFmtTif, BarFmtEmf};
    return Codes[static_cast<int>(f)];
}

// Why the library refused the record: in the options' words, and in the
// query's for lumtar serve (none: the option has no counterpart).
struct ProblemWords {
    int problem;
    const char* options;
    const char* query;
};
constexpr ProblemWords Problems[] = {
    {BarProblemFormat, "this lumtar does not write that format",
     "format: not made by this build (or paper=none, which only png, svg and wmf can be)"},
    {BarProblemBox, "--size, --phys or --dpi is out of range", "size or dpi: out of range"},
    {BarProblemModule, "--module is 0.01 to 100 mm, --magnification 80 to 200 %; give one of them",
     "module or magnification: out of range, or both given"},
    {BarProblemHeight, "--height goes with --module or --magnification",
     "height: out of range, or given without module or magnification"},
    {BarProblemWeights, "--narrow and --wide are 1 to 100", "narrow or wide: out of range"},
    {BarProblemBwr, "--bwr must stay below the X-dimension drawn", "bwr: a module or more"},
    {BarProblemBearer, "--bearer is frame, bars or none", "bearer: out of range"},
    {BarProblemRotate, "--rotate is 0, 90, 180 or 270", "rotate: none of 0, 90, 180, 270"},
    {BarProblemText, "--text-font or --text-size is out of range", "font, text-font or text-size: out of range"},
    {BarProblemInk, "--ink is RRGGBB, --ink-cmyk C,M,Y,K in percent; a TIFF is black or a CMYK ink", "ink: out of range"},
    {BarProblemPaper, "--paper none is for PNG, SVG and WMF; otherwise RRGGBB", "paper: none is for png, svg and wmf only"},
    {BarProblemAddOn, "an add-on (+NN, +NNNNN) follows only an EAN-13, ISBN or UPC-A",
     "text: an add-on (+NN, +NNNNN) follows only an EAN-13, ISBN or UPC-A"},
    {BarProblemPadding, nullptr, "padding: out of range"},
    {BarProblemTooSmall,
     "the picture is too small for this symbol, or its bars would be higher than it is long (the frame would turn it): "
     "give a larger size or a lower height",
     "size: the box is too small for this symbol"},
};

} // namespace

std::string ProblemText(int problem, Format format)
{
    if (problem == BarProblemTooLarge)
        return IsRaster(format) ? "the picture would be larger than 1000000 pixels a side"
                                : std::string("a ") + FormatName(format) +
                                      " picture is at most 32767x32767 hundredths of a millimetre";
    for (const auto& p : Problems)
        if (p.problem == problem && p.options) return p.options;
    return "the picture options do not go together";
}

std::string ProblemReason(int problem)
{
    for (const auto& p : Problems)
        if (p.problem == problem) return p.query;
    return "the picture cannot be made with these options";
}

// Into the buffer as it is; when it is too short, again into one of the size
// the library said (a batch's labels are mostly of one size).
int PrintInto(const std::string& text, const BarPrintStyle& style, Format format, BarPrintInfo& info, Bytes& bytes)
{
    unsigned int needed = 0;
    if (bytes.capacity() == 0) bytes.reserve(1 << 16); // a buffer, never the size query
    for (int attempt = 0; attempt < 2; ++attempt) {
        info = BarPrintInfo{};
        info.size = sizeof info;
        bytes.resize(bytes.capacity());
        const int result = BarPrintToMemory(bytes.data(), static_cast<unsigned int>(bytes.size()), &needed,
                                            FormatCode(format), text.c_str(), &style, &info);
        if (result != BarErrFile || needed <= bytes.size()) {
            bytes.resize(result == BarOk ? needed : 0);
            return result;
        }
        bytes.resize(needed);
    }
    return BarErrFile;
}

namespace {

// Into path, or onto standard output for "-": false with errno set when the
// file cannot be created or written whole.
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
    const unsigned char* at = bytes.data();
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

std::string NameOf(const BarPrintInfo& info)
{
    std::string name = info.type == BarTypItf14 ? "ITF-14" : FromCp1252(BarCodeName(info.type));
    if (info.addOnType) name += " + " + FromCp1252(BarCodeName(info.addOnType));
    return name;
}

// When the X-dimension drawn is not the one asked for (whole pixels).
void SayModule(const Job& job, const BarPrintInfo& info, Format format, const std::string& where)
{
    if (!job.moduleMm || std::fabs(info.module / 1000.0 - job.moduleMm) <= 0.05 * job.moduleMm) return;
    char buf[160];
    std::snprintf(buf, sizeof buf, "X-dimension %.3f mm drawn for the %.3f mm asked (%d %s per module)",
                  info.module / 1000.0, job.moduleMm, info.moduleUnits,
                  IsRaster(format) ? "pixels" : "hundredths of a mm");
    Say(where, buf);
}

} // namespace

BarPrintStyle StyleRecord()
{
    BarPrintStyle s;
    std::memset(&s, 0, sizeof s);
    s.size = sizeof s;
    return s;
}

bool BarOnStderr = false;
thread_local std::string* SaySink = nullptr;

void Say(const std::string& where, const std::string& message)
{
    if (SaySink) {
        SaySink->append("lumtar: ").append(where).append(message).append("\n");
        return;
    }
    if (BarOnStderr) std::cerr << "\n";
    BarOnStderr = false;
    std::cerr << "lumtar: " << where << message << "\n";
}

std::optional<Format> FormatFor(const std::string& path, const Job& job, const std::string& where)
{
    const auto format = job.format ? job.format : FormatOfPath(path);
    if (!format) {
        Say(where, path == "-" ? std::string("writing to standard output (-o -) needs --format")
                            : path + ": the file name must end in one of " + FormatList + " (or give --format)");
        return std::nullopt;
    }
    return format;
}

bool CheckJob(const Job& job, Format format, const std::string& where)
{
    if (!IsRaster(format) && (job.physGiven || job.dpiGiven)) {
        Say(where, "--phys and --dpi apply to BMP, PNG and TIFF files; a vector picture's --size is its printed size");
        return false;
    }
    if (!IsRaster(format) && (job.style.width > VectorLargest || job.style.height > VectorLargest)) {
        Say(where, std::string("a ") + FormatName(format) + " picture is at most 32767x32767 hundredths of a millimetre");
        return false;
    }
    return true;
}

Drawn DrawOne(const std::string& path, const std::string& text, const Job& job, Format format, const std::string& where)
{
    const Resolved r = Resolve(text, job.types);
    const auto unfit = [&] {
        Say(where, Quoted(text) + " fits none of the code types " + job.typesText + (r.why.empty() ? "" : "; " + r.why));
        return Drawn{ExitNoType, ""};
    };
    if (!r.type && !(job.types & BarTypItf14)) return unfit();
    if (r.fallback && job.strict) {
        Say(where, Quoted(text) + " not drawn (--strict): " + r.why + "; as the types " + job.typesText + " allow it would be " +
                       TypeName(r.type));
        return {ExitNoType, ""};
    }
    if (r.fallback) Say(where, Quoted(text) + ": drawn as " + TypeName(r.type) + "; " + r.why);
    if (!r.aside.empty()) Say(where, Quoted(text) + ": " + r.aside);

    thread_local Bytes bytes; // one buffer per thread for all its pictures
    BarPrintInfo info;
    const int result = PrintInto(text, job.style, format, info, bytes);
    if (result == BarErrCode) return unfit();
    if (result == BarErrStyle) {
        Say(where, Quoted(text) + ": " + ProblemText(info.problem, format));
        return {ExitUsage, ""};
    }
    if (result != BarOk) {
        Say(where, "the picture for " + path + " cannot be created (is the size too large?)");
        return {ExitGdi, ""};
    }
    SayModule(job, info, format, where);
    if (!WriteBytes(path, bytes)) {
        const int cause = errno;
        Say(where, "cannot write " + path + (cause ? std::string(": ") + std::strerror(cause) : ""));
        return {ExitFile, ""};
    }
    return {ExitOk, NameOf(info)};
}

} // namespace tool
