// What the file outputs do to the file system beyond the cases of
// test_output.cpp: a failing call leaves a previous picture byte for byte as
// it was; a name under a regular file or in a place that takes no files is
// refused without a trace; a write cut short at any point is BarErrFile and
// leaves just the bytes that were written; an overwritten longer file keeps
// no tail; and no call puts anything anywhere but the named file.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "lumtar32.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr const char* Ean13 = "4006381333931";

// A directory of this test's own, emptied first (drive Z: under Wine).
std::string Fresh(const std::string& name)
{
    const std::string dir = std::string(LUMTAR_TEST_BINARY_DIR) + "/test_file_safety/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Every entry below dir, with its size, so that a changed file shows too.
std::set<std::string> Listing(const std::string& dir)
{
    std::set<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        entries.insert(e.path().lexically_relative(dir).generic_string() +
                       (e.is_regular_file() ? " " + std::to_string(e.file_size()) : " dir"));
    return entries;
}

enum class Target { Wmf, Bmp };

struct Request {
    const char* what;
    Target target;
    const char* text;
    int width, height, types;
};

int Call(const Request& r, const std::string& path)
{
    if (r.target == Target::Wmf) return BarToWmf(path.c_str(), r.text, BarFontDefault, r.width, r.height, r.types);
    return BarToBmp(path.c_str(), r.text, BarFontDefault, r.width, r.height, 2540, 1000, r.types);
}

const Request GoodWmf{"WMF", Target::Wmf, Ean13, 5000, 2000, BarTypAll};
const Request GoodBmp{"BMP", Target::Bmp, Ean13, 300, 100, BarTypAll};

// ------------------------------------------------- failures change nothing

// A picture written earlier survives every call that fails before writing,
// byte for byte, and nothing else appears beside it.
TEST(FileSafety, FailedCallsLeaveAnEarlierPictureAsItWas)
{
    const Request failing[] = {
        {"WMF, text fits no type", Target::Wmf, "4006381333932", 5000, 2000, BarTypEan13},
        {"WMF, text fits only a type not asked for", Target::Wmf, "CODE 39", 5000, 2000, BarTypEan13},
        {"WMF, a character of no symbology", Target::Wmf, "12\xFC", 5000, 2000, BarTypAll},
        {"WMF, a picture wider than GDI's coordinates", Target::Wmf, Ean13, INT_MAX, 2000, BarTypAll},
        {"BMP, text fits no type", Target::Bmp, "\xFC", 300, 100, BarTypAll},
        {"BMP, no type asked for", Target::Bmp, Ean13, 300, 100, 0},
        {"BMP, no pixels", Target::Bmp, Ean13, 0, 0, BarTypAll},
        {"BMP, more rows than GDI's coordinates", Target::Bmp, Ean13, 8, INT_MAX, BarTypAll},
    };
    const std::string dir = Fresh("earlier");
    for (const Request& good : {GoodWmf, GoodBmp}) {
        const std::string path = dir + (good.target == Target::Wmf ? "/picture.wmf" : "/picture.bmp");
        ASSERT_EQ(Call(good, path), BarOk);
        const Bytes earlier = ReadAll(path);
        for (const Request& r : failing) {
            SCOPED_TRACE(std::string(good.what) + " file, then " + r.what);
            const auto before = Listing(dir);
            EXPECT_NE(Call(r, path), BarOk);
            EXPECT_EQ(ReadAll(path), earlier);
            EXPECT_EQ(Listing(dir), before);
        }
    }
}

// A name whose directory part is a regular file can never be created; the
// file stays as it was and nothing is created beside it.
TEST(FileSafety, NameUnderARegularFile)
{
    const std::string dir = Fresh("under-file");
    const std::string file = dir + "/plain";
    const Bytes content = {'p', 'l', 'a', 'i', 'n'};
    WriteAll(file, content);
    for (const Request& r : {GoodWmf, GoodBmp}) {
        SCOPED_TRACE(r.what);
        const auto before = Listing(dir);
        EXPECT_EQ(Call(r, file + "/code.out"), BarErrFile);
        EXPECT_EQ(Call(r, file + "/deeper/code.out"), BarErrFile);
        EXPECT_EQ(ReadAll(file), content);
        EXPECT_EQ(Listing(dir), before);
    }
}

// A successful call over a longer file leaves exactly the new picture: the
// old tail is cut off, not left behind the new bytes.
TEST(FileSafety, OverwritingALongerFileLeavesNoTail)
{
    const std::string dir = Fresh("overwrite");
    for (const Request& r : {GoodWmf, GoodBmp}) {
        SCOPED_TRACE(r.what);
        const std::string fresh = dir + "/fresh.out", old = dir + "/old.out";
        ASSERT_EQ(Call(r, fresh), BarOk);
        const Bytes expected = ReadAll(fresh);
        WriteAll(old, Bytes(expected.size() * 3 + 1000, 0xA5));
        ASSERT_EQ(Call(r, old), BarOk);
        EXPECT_EQ(ReadAll(old), expected);
    }
}

// A relative name lands in the current directory and nowhere else; every kind
// of call, good or failing, adds at most its own file.
TEST(FileSafety, NothingIsWrittenBesideTheNamedFile)
{
    const std::string dir = Fresh("relative");
    const fs::path saved = fs::current_path();
    fs::current_path(dir);
    const Request requests[] = {
        GoodWmf,
        GoodBmp,
        {"WMF, fits no type", Target::Wmf, "x", 5000, 2000, BarTypAll},
        {"BMP, fits no type", Target::Bmp, "x", 300, 100, BarTypAll},
        {"BMP, no pixels", Target::Bmp, Ean13, 0, 100, BarTypAll},
        {"ISBN, turned", Target::Bmp, "123456789X", 100, 400, BarTypIsbn},
        {"Code 39", Target::Wmf, "CODE 39", 6000, 1500, BarTypAll},
    };
    int n = 0;
    for (const Request& r : requests) {
        SCOPED_TRACE(r.what);
        const std::string name = "code" + std::to_string(n++) + ".out";
        auto expected = Listing(".");
        const int result = Call(r, name);
        if (result == BarOk) expected.insert(name + " " + std::to_string(fs::file_size(name)));
        EXPECT_EQ(Listing("."), expected);
    }
    fs::current_path(saved);
}

#ifndef _WIN32
// ------------------------------------------------------ native file system

// Places that take no files whoever asks: /proc refuses new names even to
// root. (A read-only directory would do only for other users: root writes
// into it regardless, so it is tried only when the tests do not run as root.)
TEST(FileSafety, PlacesThatTakeNoFiles)
{
    std::vector<std::string> paths = {"/proc/lumtar-code.out", "/proc/self/lumtar-code.out"};
    std::string readOnly;
    if (geteuid() != 0) {
        readOnly = Fresh("read-only");
        fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
        paths.push_back(readOnly + "/code.out");
    }
    for (const std::string& path : paths)
        for (const Request& r : {GoodWmf, GoodBmp}) {
            SCOPED_TRACE(std::string(r.what) + " " + path);
            EXPECT_EQ(Call(r, path), BarErrFile);
            EXPECT_FALSE(fs::exists(path));
        }
    if (!readOnly.empty()) fs::permissions(readOnly, fs::perms::owner_all);
}

// A file size limit makes the writes come up short at a chosen byte: in the
// header, at its end, and inside the bits. The call says BarErrFile, and the
// file holds exactly the bytes that got through, the start of the picture.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN); // EFBIG instead of the signal
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(FileSafety, WritesCutShortAnywhereAreFileErrors)
{
    struct Case {
        Request request;
        rlim_t limit;
    };
    const Case cases[] = {
        {GoodWmf, 0},   {GoodWmf, 10},  {GoodWmf, 22}, // nothing, inside and after the placeable header
        {GoodWmf, 23},  {GoodWmf, 100}, {GoodWmf, 500},
        {GoodBmp, 0},   {GoodBmp, 13},  {GoodBmp, 14}, // nothing, inside and after the file header
        {GoodBmp, 62},  {GoodBmp, 63},  {GoodBmp, 4061}, // after the palette, in the rows, one byte short
    };
    const std::string dir = Fresh("short");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.request.what) + " limited to " + std::to_string(c.limit) + " bytes");
        const std::string whole = dir + "/whole.out", cut = dir + "/cut.out";
        ASSERT_EQ(Call(c.request, whole), BarOk);
        const Bytes expected = ReadAll(whole);
        ASSERT_GT(expected.size(), c.limit);
        int result;
        {
            FileSizeLimit limit(c.limit);
            result = Call(c.request, cut);
        }
        EXPECT_EQ(result, BarErrFile);
        const Bytes written = ReadAll(cut);
        EXPECT_EQ(written, Bytes(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(c.limit)));
    }
}
#endif

} // namespace
