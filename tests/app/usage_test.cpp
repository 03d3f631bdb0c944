// `rastrify --help` and `--version`, through the real executable, and the
// options the help lists against the manual page and the README.
#include "run_support.h"
#include "usage.h"

#include "gridlib.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <string>
#include <sys/wait.h>

namespace rastrify::testing {
namespace {

using gridlib::testing::read_text;
using gridlib::testing::TempDir;

std::string library_version() {
    char version[GRIDLIB_VERSION_TEXT_SIZE] = {};
    const std::int32_t length = sizeof version;
    std::int32_t status = GRIDLIB_REFUSED;
    gridlib_version(version, &length, &status);
    EXPECT_EQ(status, GRIDLIB_OK);
    return version;
}

TEST(Usage, OnlyTheExactLongFormsAnswer) {
    TempDir dir;
    const std::string no_input = " the grid file does not exist\n";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string out, err;
    } cases[] = {
        {{"--help"}, 0, usage_text(), ""},
        {{"--version"}, 0, "rastrify " + library_version() + "\n", ""},
        // Anything else is a conversion whose first argument names the input grid.
        {{"--help", "out.bmp"}, 1, start_text(), no_input},
        {{"--version", "out.bmp", "-G"}, 1, start_text(), no_input},
        {{"-h", "out.bmp"}, 1, start_text(), no_input},
        {{"--HELP", "out.bmp"}, 1, start_text(), no_input},
        {{"-V", "out.bmp"}, 1, start_text(), no_input},
    };
    for (const auto& c : cases) {
        const RunResult r = run_rastrify(dir.path(), c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments[0];
        EXPECT_EQ(r.out, c.out) << c.arguments[0];
        EXPECT_EQ(r.err, c.err) << c.arguments[0];
    }
    EXPECT_TRUE(files_in(dir.path()).empty());
}

TEST(Usage, AnAnswerThatCannotBeWrittenFails) {
    for (const std::string query : {"--help", "--version"}) {
        const int pid = spawn_rastrify({query}, {}, {.output = "/dev/full"});
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << query;
    }
}

// The options the help lists: "-W" of "-Wwidth", "--help" whole.
std::set<std::string> listed_options() {
    std::set<std::string> options;
    const std::regex option(R"((?:\n  |, )(--[a-z]+|-[A-Za-z]))");
    const std::string text = usage_text();
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
        options.insert((*it)[1]);
    return options;
}

TEST(Usage, ListsEveryOptionAndTheDocumentsDescribeThem) {
    const auto options = listed_options();
    for (const char* expected : {"-W", "-I", "-m", "-M", "-H", "-S", "-G", "-L", "-C", "-K", "--help", "--version"})
        EXPECT_TRUE(options.contains(expected)) << expected;

    const char* source = std::getenv("GRIDLIB_SOURCE_DIR");
    ASSERT_TRUE(source);
    // The manual page writes a minus sign as "\-".
    const std::string manual = std::regex_replace(read_text(std::string(source) + "/man/rastrify.1"),
                                                  std::regex(R"(\\-)"), "-");
    const std::string readme = read_text(std::string(source) + "/README.md");
    for (const std::string& o : options) {
        EXPECT_NE(manual.find(o), std::string::npos) << o << " is missing from the manual page";
        EXPECT_NE(readme.find("`" + o), std::string::npos) << o << " is missing from the README";
    }
    // And the README's option table lists nothing the help leaves out.
    const std::regex table_row(R"(\n\| `(-[A-Za-z]))");
    for (auto it = std::sregex_iterator(readme.begin(), readme.end(), table_row); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(options.contains((*it)[1])) << (*it)[1] << " of the README is missing from --help";
}

}  // namespace
}  // namespace rastrify::testing
