// Exactly the routines gridlib.h declares leave the shared library: no
// helper, template instance or standard-library symbol becomes part of its
// interface by accident.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <string>

namespace {

std::set<std::string> declared_routines(const std::string& header) {
    std::ifstream in(header);
    EXPECT_TRUE(in) << header;
    const std::regex declaration(R"(^GRIDLIB_API [^(]*?\b([A-Za-z_]\w*)\()");
    std::set<std::string> names;
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_search(line, m, declaration)) names.insert(m[1]);
    }
    return names;
}

// The defined dynamic symbols of a shared library, as nm lists them.
std::set<std::string> exported_symbols(const std::string& library) {
    const std::string command = "nm -D --defined-only '" + library + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    EXPECT_TRUE(pipe) << command;
    std::set<std::string> names;
    if (!pipe) return names;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe.get())) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        names.insert(text.substr(text.rfind(' ') + 1));
    }
    return names;
}

TEST(ExportedSymbols, AreExactlyTheRoutinesOfThePublicHeader) {
    const char* source = std::getenv("GRIDLIB_SOURCE_DIR");
    const char* library = std::getenv("GRIDLIB_LIBRARY");
    ASSERT_TRUE(source && library) << "GRIDLIB_SOURCE_DIR and GRIDLIB_LIBRARY must be set";
    const auto declared = declared_routines(std::string(source) + "/include/gridlib.h");
    EXPECT_GE(declared.size(), 11u);  // the parse found the declarations
    EXPECT_EQ(exported_symbols(library), declared);
}

// Programs built against earlier headers call gridlib_convert_defaults by
// its name, which gridlib.h now makes a macro of the sized routine: both
// stay exported.
TEST(ExportedSymbols, KeepTheRoutinesOfEarlierHeaders) {
    const char* library = std::getenv("GRIDLIB_LIBRARY");
    ASSERT_TRUE(library) << "GRIDLIB_LIBRARY must be set";
    const auto exported = exported_symbols(library);
    for (const char* name : {"gridlib_convert_defaults", "gridlib_convert_defaults_sized", "gridlib_convert"})
        EXPECT_TRUE(exported.contains(name)) << name;
}

}  // namespace
