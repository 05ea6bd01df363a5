// The shipped library exports exactly the functions of api/lumtar32.def, by
// name and (on Windows) by ordinal, and they are the functions of the core.
// Natively it exports exactly the functions the public headers declare, all
// in version node LUMTAR32_1.0 (the print call in LUMTAR32_1.1); on Windows it carries its version resource.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
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
        {"BarPrint", 20}, {"BarPrintToMemory", 21}, {"BarToFile", 30}, {"BarToMemory", 31},
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

#ifdef _WIN32
TEST(Exports, VersionResourceIsTheProjectVersion)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(LUMTAR_SHARED_LIBRARY, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(LUMTAR_SHARED_LIBRARY, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD{LUMTAR32_VERSION_MAJOR << 16 | LUMTAR32_VERSION_MINOR});
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD{LUMTAR32_VERSION_PATCH << 16});
    for (const char* field : {"FileVersion", "ProductVersion", "OriginalFilename", "ProductName"}) {
        char* value = nullptr;
        const std::string key = std::string("\\StringFileInfo\\040904E4\\") + field;
        ASSERT_TRUE(VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) << field;
        EXPECT_STRNE(value, "") << field;
        if (std::string(field).find("Version") != std::string::npos) {
            EXPECT_STREQ(value, LUMTAR32_VERSION);
        }
    }
}
#else
// The functions the public headers mark for export, by name: each
// declaration starts a line with the export macro and names the function
// there. Those of lumtar32_print.h and lumtar32_sheet.h came with version 1.1.
std::set<std::string> DeclaredNames(const std::vector<const char*>& headers)
{
    std::set<std::string> names;
    const std::regex declaration(R"(^(LUMTAR_EXPORT|LUMTAR_GDI_API) [^(]*?(\w+)\()");
    for (const char* header : headers) {
        std::ifstream in(std::string(LUMTAR_TEST_SOURCE_DIR) + "/include/" + header);
        EXPECT_TRUE(in) << header;
        std::smatch m;
        for (std::string line; std::getline(in, line);)
            if (std::regex_search(line, m, declaration)) names.insert(m[2]);
    }
    return names;
}

TEST(Exports, ExactlyTheDeclaredFunctionsInTheirVersionNodes)
{
    FILE* nm = popen("nm -D --defined-only --with-symbol-versions ./" LUMTAR_SHARED_LIBRARY, "r");
    ASSERT_TRUE(nm);
    std::set<std::string> exported;
    const std::set<std::string> added = DeclaredNames({"lumtar32_print.h", "lumtar32_sheet.h"});
    char line[512];
    while (std::fgets(line, sizeof line, nm)) {
        std::istringstream fields(line);
        std::string address, type, symbol;
        fields >> address >> type >> symbol;
        if (type == "A") continue; // the version node itself
        const auto at = symbol.find("@@");
        const std::string name = symbol.substr(0, at);
        EXPECT_EQ(at == std::string::npos ? "" : symbol.substr(at + 2), added.count(name) ? "LUMTAR32_1.1" : "LUMTAR32_1.0")
            << symbol;
        exported.insert(name);
    }
    ASSERT_EQ(pclose(nm), 0);
    EXPECT_EQ(exported, DeclaredNames({"lumtar32.h", "lumtar32_formats.h", "lumtar32_gdi.h", "lumtar32_print.h",
                                       "lumtar32_sheet.h"}));
}

TEST(Exports, InternalFunctionsStayHidden)
{
    Library lib;
    ASSERT_TRUE(lib.handle_ != nullptr);
    EXPECT_EQ(lib.byName("_ZN6lumtar13Gs1CheckDigitEPKci"), nullptr);
}
#endif

} // namespace
