#include "batch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <system_error>
#include <thread>
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

namespace {

// One label's outcome as its reporter needs it: the status and what it said.
struct Label {
    int status = ExitOk;
    bool refused = false; // not drawn: its name or format was refused before drawing
    std::string said;     // its messages, in order, as Say words them
};

bool Fatal(const Label& l) { return !l.refused && l.status != ExitOk && l.status != ExitNoType && l.status != ExitUsage; }

// A file that cannot be written (or a picture that cannot be created) stops
// the run: the first such label, in input order, is the run's status.
struct Run {
    const std::vector<Line>& lines;
    const std::string& pattern;
    long start;
    const Job& job;
    bool named; // some line names its file: two labels may write the same one

    std::string Path(std::size_t i) const
    {
        const std::string numbered = Numbered(pattern, start + static_cast<long>(i));
        return lines[i].name.empty() ? numbered : NamedPath(numbered, lines[i].name);
    }

    Label Draw(std::size_t i, const std::string& path) const
    {
        Label l;
        SaySink = &l.said;
        const std::string where = "text " + std::to_string(start + static_cast<long>(i)) + ": ";
        const auto format = path.empty() ? std::nullopt : FormatFor(path, job, where);
        if (path.empty() || !format || !CheckJob(job, *format, where)) {
            if (path.empty()) Say(where, "the name \"" + lines[i].name + "\" leaves the output folder");
            l.refused = true;
        } else {
            l.status = DrawOne(path, lines[i].text, job, *format, where).status;
        }
        SaySink = nullptr;
        return l;
    }
};

struct Tally {
    std::size_t written = 0, unfit = 0, refused = 0;
};

// Its messages onto stderr and its count; false when it stops the run.
bool Report(const Label& l, Tally& tally)
{
    if (!l.said.empty()) {
        if (BarOnStderr) std::cerr << "\n";
        BarOnStderr = false;
        std::cerr << l.said;
    }
    if (Fatal(l)) return false;
    if (l.refused || l.status == ExitUsage) ++tally.refused;
    else if (l.status == ExitNoType) ++tally.unfit;
    else ++tally.written;
    return true;
}

// How far the workers may draw ahead of the label being reported.
constexpr std::size_t Window = 64;

struct Slot {
    std::string path;
    Label label;
    bool done = false;
};

// Labels drawn on workers, reported here in input order. A worker claims the
// next label while it lies within the window, and waits first for any
// earlier label in flight that writes the same file, so that the last one
// written is the last one named, as in a serial run.
int RunParallel(const Run& run, unsigned workers, Tally& tally, Progress& progress)
{
    const std::size_t total = run.lines.size();
    std::mutex lock;
    std::condition_variable labelDone, roomMade;
    std::size_t next = 0, reported = 0;
    bool stopped = false, reporterWaits = false;
    int windowWaits = 0, fileWaits = 0;
    std::vector<Slot> slots(Window);

    const auto sameFileInFlight = [&](std::size_t i) {
        if (!run.named) return false; // numbered files differ
        for (std::size_t j = reported; j < i; ++j)
            if (!slots[j % Window].done && slots[j % Window].path == slots[i % Window].path) return true;
        return false;
    };
    const auto work = [&] {
        std::unique_lock<std::mutex> held(lock);
        for (;;) {
            while (!stopped && next < total && next >= reported + Window) {
                ++windowWaits;
                roomMade.wait(held);
                --windowWaits;
            }
            if (stopped || next >= total) return;
            const std::size_t i = next++;
            Slot& slot = slots[i % Window];
            slot.path = run.Path(i);
            while (!stopped && sameFileInFlight(i)) {
                ++fileWaits;
                roomMade.wait(held);
                --fileWaits;
            }
            if (stopped) { // a label before this one stopped the run: it is never reported
                slot.done = true;
                labelDone.notify_one();
                return;
            }
            held.unlock();
            Label label = run.Draw(i, slot.path);
            held.lock();
            slot.label = std::move(label);
            slot.done = true;
            if (Fatal(slot.label)) {
                stopped = true;
                roomMade.notify_all();
            } else if (fileWaits) {
                roomMade.notify_all();
            }
            if (reporterWaits) labelDone.notify_one();
        }
    };

    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break; // fewer threads than asked for, or none: this one draws below
        }
    }
    int status = ExitOk;
    for (std::size_t i = 0; i < total; ++i) {
        Label label;
        if (threads.empty()) {
            label = run.Draw(i, run.Path(i));
        } else {
            std::unique_lock<std::mutex> held(lock);
            Slot& slot = slots[i % Window];
            while (!slot.done) {
                reporterWaits = true;
                labelDone.wait(held);
                reporterWaits = false;
            }
            label = std::move(slot.label);
            slot = Slot{};
            reported = i + 1;
            if (windowWaits && next + Window / 2 <= reported + Window) roomMade.notify_all();
        }
        if (!Report(label, tally)) {
            status = label.status;
            break;
        }
        progress.update(i + 1);
    }
    {
        const std::lock_guard<std::mutex> held(lock);
        stopped = true;
    }
    roomMade.notify_all();
    for (auto& t : threads) t.join();
    return status;
}

} // namespace

int RunBatch(std::istream& in, const std::string& pattern, long start, const Job& job, unsigned jobs)
{
    const std::vector<Line> lines = ReadLines(in);
    const auto began = std::chrono::steady_clock::now();
    Progress progress(lines.size());
    Tally tally;
    const Run run{lines, pattern, start, job,
                  std::any_of(lines.begin(), lines.end(), [](const Line& l) { return !l.name.empty(); })};
    int status = ExitOk;
    if (jobs <= 1 || lines.size() <= 1) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Label label = run.Draw(i, run.Path(i));
            if (!Report(label, tally)) return label.status;
            progress.update(i + 1);
        }
    } else {
        status = RunParallel(run, static_cast<unsigned>(std::min<std::size_t>(jobs, lines.size())), tally, progress);
        if (status != ExitOk) return status;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::cerr << "lumtar: " << tally.written << " of " << lines.size() << " files written (" << pattern << ") in "
              << static_cast<int>(seconds * 1000) << " ms";
    if (tally.unfit) std::cerr << "; " << tally.unfit << (tally.unfit == 1 ? " text fits" : " texts fit") << " no type";
    if (tally.refused) std::cerr << "; " << tally.refused << " refused";
    std::cerr << "\n";
    return tally.refused ? ExitUsage : tally.unfit ? ExitNoType : ExitOk;
}

} // namespace tool
