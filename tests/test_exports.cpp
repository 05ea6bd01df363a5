// The shipped library exports exactly the functions of api/lumtar32.def, by
// name and (on Windows) by ordinal, and they are the functions of the core.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "lumtar32.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

struct DefExport {
    std::string name;
    int ordinal;
};

std::vector<DefExport> ReadDefFile()
{
    std::ifstream in(std::string(LUMTAR_TEST_SOURCE_DIR) + "/api/lumtar32.def");
    std::vector<DefExport> exports;
    const std::regex line(R"(^\s*(\w+)@\d+\s+@(\d+)\s*$)");
    for (std::string s; std::getline(in, s);) {
        std::smatch m;
        if (std::regex_match(s, m, line)) exports.push_back({m[1], std::stoi(m[2])});
    }
    return exports;
}

class Library {
public:
#ifdef _WIN32
    Library() : handle_(LoadLibraryA(LUMTAR_SHARED_LIBRARY)) {}
    ~Library() { if (handle_) FreeLibrary(handle_); }
    void* byName(const std::string& name) const { return reinterpret_cast<void*>(GetProcAddress(handle_, name.c_str())); }
    void* byOrdinal(int ordinal) const
    {
        return reinterpret_cast<void*>(GetProcAddress(handle_, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(ordinal))));
    }
    HMODULE handle_;
#else
    Library() : handle_(dlopen("./" LUMTAR_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() { if (handle_) dlclose(handle_); }
    void* byName(const std::string& name) const { return dlsym(handle_, name.c_str()); }
    void* handle_;
#endif
};

TEST(Exports, EveryDefEntryResolvesByNameAndOrdinal)
{
    const auto exports = ReadDefFile();
    ASSERT_GE(exports.size(), 4u);
    Library lib;
    ASSERT_TRUE(lib.handle_ != nullptr);
    for (const auto& e : exports) {
        void* named = lib.byName(e.name);
        EXPECT_NE(named, nullptr) << e.name;
#ifdef _WIN32
        EXPECT_EQ(lib.byOrdinal(e.ordinal), named) << e.name << " @" << e.ordinal;
        // stdcall exports carry no decoration.
        EXPECT_EQ(lib.byName("_" + e.name), nullptr) << e.name;
#endif
    }
}

TEST(Exports, OrdinalsAreTheFixedOnes)
{
    const std::pair<const char*, int> fixed[] = {
        {"BarToWmf", 1}, {"BarToBmp", 2}, {"Bar2HdcEx", 3}, {"BarToClipboardEx", 4}, {"BarCodeTyp", 12},
        {"BarCodeName", 13}, {"BarIsbnFromEan", 14}, {"BarEanFromIsbn", 15}, {"Bar2Hdc", 16}, {"BarToClipboard", 17},
    };
    for (const auto& e : ReadDefFile()) {
        bool known = false;
        for (const auto& [name, ordinal] : fixed)
            if (e.name == name) {
                known = true;
                EXPECT_EQ(e.ordinal, ordinal) << name;
            }
        EXPECT_TRUE(known) << e.name;
    }
}

TEST(Exports, CallsThroughTheLoadedLibrary)
{
    Library lib;
    ASSERT_TRUE(lib.handle_ != nullptr);
    using CodeTyp = int(LUMTAR_CALL*)(const char*, int);
    using CodeName = const char*(LUMTAR_CALL*)(int);
    auto typ = reinterpret_cast<CodeTyp>(lib.byName("BarCodeTyp"));
    auto name = reinterpret_cast<CodeName>(lib.byName("BarCodeName"));
    ASSERT_TRUE(typ && name);
    EXPECT_EQ(typ("4006381333931", BarTypAll), BarTypEan13);
    EXPECT_STREQ(name(64), "2 aus 5");
}

#ifndef _WIN32
TEST(Exports, InternalFunctionsStayHidden)
{
    Library lib;
    ASSERT_TRUE(lib.handle_ != nullptr);
    EXPECT_EQ(lib.byName("_ZN6lumtar15Ean13CheckDigitEPKc"), nullptr);
}
#endif

} // namespace
