#include "batch.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tool {
namespace {

bool StderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr));
#else
    return isatty(STDERR_FILENO);
#endif
}

std::string Numbered(const std::string& pattern, long number)
{
    char buf[4096];
    std::snprintf(buf, sizeof buf, pattern.c_str(), static_cast<int>(number));
    return buf;
}

class Progress {
public:
    explicit Progress(std::size_t total) : total_(total), shown_(StderrIsTerminal() && total > 0) {}
    void update(std::size_t done)
    {
        if (!shown_) return;
        const auto now = std::chrono::steady_clock::now();
        if (done != total_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        constexpr int Width = 40;
        const int filled = static_cast<int>(done * Width / total_);
        std::fprintf(stderr, "\r[%.*s%*s] %zu/%zu", filled, "########################################", Width - filled, "",
                     done, total_);
        if (done == total_) std::fputc('\n', stderr);
        std::fflush(stderr);
        BarOnStderr = done != total_;
    }

private:
    std::size_t total_;
    bool shown_;
    std::chrono::steady_clock::time_point last_{};
};

struct Line {
    std::string text, name; // name: after a tab, or empty
};

std::vector<Line> ReadLines(std::istream& in)
{
    std::vector<Line> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const auto tab = line.find('\t');
        if (tab == std::string::npos) lines.push_back({line, ""});
        else lines.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return lines;
}

} // namespace

bool IsPattern(const std::string& pattern)
{
    int conversions = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        if (++i < pattern.size() && pattern[i] == '%') continue;
        while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') ++i;
        if (i >= pattern.size() || pattern[i] != 'd') return false;
        ++conversions;
    }
    return conversions == 1;
}

std::string NamedPath(const std::string& numbered, const std::string& name)
{
    if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos) return "";
    // Every part of the name must stay below the folder: no "..", no empty or "." part.
    for (std::size_t start = 0; start <= name.size();) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return "";
        start = end + 1;
    }
    const auto slash = numbered.find_last_of("/\\");
    return (slash == std::string::npos ? "" : numbered.substr(0, slash + 1)) + name;
}

int RunBatch(std::istream& in, const std::string& pattern, long start, const Job& job)
{
    const std::vector<Line> lines = ReadLines(in);
    const auto began = std::chrono::steady_clock::now();
    Progress progress(lines.size());
    std::size_t written = 0, unfit = 0, refused = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const long number = start + static_cast<long>(i);
        const std::string where = "text " + std::to_string(number) + ": ";
        const std::string numbered = Numbered(pattern, number);
        const std::string path = lines[i].name.empty() ? numbered : NamedPath(numbered, lines[i].name);
        const auto format = path.empty() ? std::nullopt : FormatFor(path, job, where);
        if (path.empty() || !format || !CheckJob(job, *format, where)) {
            if (path.empty())
                Say(where, "the name \"" + lines[i].name + "\" leaves the output folder");
            ++refused;
        } else {
            const Drawn d = DrawOne(path, lines[i].text, job, *format, where);
            if (d.status == ExitOk) ++written;
            else if (d.status == ExitNoType) ++unfit;
            else if (d.status == ExitUsage) ++refused;
            else return d.status; // a file that cannot be written stops the run
        }
        progress.update(i + 1);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::cerr << "lumtar: " << written << " of " << lines.size() << " files written (" << pattern << ") in "
              << static_cast<int>(seconds * 1000) << " ms";
    if (unfit) std::cerr << "; " << unfit << (unfit == 1 ? " text fits" : " texts fit") << " no type";
    if (refused) std::cerr << "; " << refused << " refused";
    std::cerr << "\n";
    return refused ? ExitUsage : unfit ? ExitNoType : ExitOk;
}

} // namespace tool
