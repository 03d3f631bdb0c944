// The converter's dialogue and its stops, through the real executable.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace rastrify::testing {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::write_file;

const std::string kInputPrompt = " \n Enter name of the input grid file : ";
const std::string kOutputPrompt = " \n Enter name of the output BMP file : ";

class ConsoleRun : public ::testing::Test {
protected:
    void SetUp() override {
        write_file(dir.file("g.asc"), esri_grid(3, 2, {1, 2, 3, 4, 5, 6}));
    }
    RunResult run(std::vector<std::string> arguments, std::optional<std::string> input = std::nullopt) {
        return run_rastrify(dir.path(), arguments, input);
    }
    TempDir dir;
};

TEST_F(ConsoleRun, MissingInputStopsBeforeTheOutputNameIsAsked) {
    const RunResult r = run({"nothing.asc", "out.bmp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, start_text());
    EXPECT_EQ(r.err, " the grid file does not exist\n");

    const RunResult asked = run({}, "nothing.asc\n");
    EXPECT_EQ(asked.status, 1);
    EXPECT_EQ(asked.out, start_text() + kInputPrompt);
    EXPECT_EQ(asked.err, " the grid file does not exist\n");
}

TEST_F(ConsoleRun, PromptsForWhatTheCommandLineLacks) {
    const RunResult both = run({}, "  g.asc  ignored\n'a b.bmp'\n");
    EXPECT_EQ(both.status, 0) << both.err;
    EXPECT_EQ(both.out, start_text() + kInputPrompt + kOutputPrompt);
    EXPECT_EQ(both.err, "");
    EXPECT_TRUE(read_bmp(dir.file("a b.bmp")));

    // Blank answer lines are passed over, as a free-format reader does.
    const RunResult one = run({"g.asc"}, "\n   \nout.bmp\n");
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, start_text() + kOutputPrompt);
    EXPECT_TRUE(read_bmp(dir.file("out.bmp")));
}

TEST_F(ConsoleRun, SlashInAnAnsweredNameIsADirectorySeparator) {
    std::filesystem::create_directory(dir.file("sub"));
    write_file(dir.file("sub/h.asc"), esri_grid(3, 2, {1, 2, 3, 4, 5, 6}));
    const RunResult r = run({}, "sub/h.asc\nsub/out.bmp\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(read_bmp(dir.file("sub/out.bmp")));
}

TEST_F(ConsoleRun, EndOfInputAtAPromptStops) {
    const RunResult none = run({});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, start_text() + kInputPrompt);
    EXPECT_EQ(none.err, "  No answer could be read: the input ended at the prompt\n");

    const RunResult second = run({"g.asc"}, "   \n");
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.out, start_text() + kOutputPrompt);
    EXPECT_EQ(second.err, "  No answer could be read: the input ended at the prompt\n");
}

TEST_F(ConsoleRun, OverlongNamesAreRefusedNotCut) {
    const std::string longer(257, 'g');
    // A file under the cut name exists: a cut would silently convert it.
    write_file(dir.file(longer.substr(0, 250)), esri_grid(3, 2, {1, 2, 3, 4, 5, 6}));
    const RunResult arg = run({longer, "out.bmp"});
    EXPECT_EQ(arg.status, 1);
    EXPECT_EQ(arg.err, "  The name of the input grid file is longer than 256 characters\n");

    const RunResult answered = run({"g.asc"}, longer + ".bmp\n");
    EXPECT_EQ(answered.status, 1);
    EXPECT_EQ(answered.err, "  The name of the output BMP file is longer than 256 characters\n");

    const RunResult histogram = run({"g.asc", "out.bmp", std::string(300, 'h')});
    EXPECT_EQ(histogram.status, 1);
    EXPECT_EQ(histogram.err, "  The name of the histogram file is longer than 256 characters\n");
    EXPECT_FALSE(read_bmp(dir.file("out.bmp")));
}

TEST_F(ConsoleRun, AnAnswerIsReadOnlyAsFarAsANameCanReach) {
    // The rest of an overlong answer line is passed over, not taken for the next answer.
    const RunResult rest = run({}, "g.asc " + std::string(100000, 'x') + "\nout.bmp\n");
    EXPECT_EQ(rest.status, 0) << rest.err;
    EXPECT_TRUE(read_bmp(dir.file("out.bmp")));

    // A line without end (input from /dev/zero) is read in bounded memory:
    // the answer is the empty name before its first NUL.
    const int pid = spawn_rastrify({}, {}, {.input = "/dev/zero", .error = dir.file("err")});
    ASSERT_GT(pid, 0);
    int status = 0;
    for (int tenths = 0; tenths < 200 && ::waitpid(pid, &status, WNOHANG) == 0; ++tenths) ::usleep(100000);
    if (::waitpid(pid, &status, WNOHANG) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        FAIL() << "the run still reads its input after 20 s";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_EQ(gridlib::testing::read_text(dir.file("err")), " the grid file does not exist\n");
}

TEST_F(ConsoleRun, LowerCaseIIsAHistogramFileName) {
    const RunResult r = run({"g.asc", "out.bmp", "-i"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, start_text());
    EXPECT_EQ(r.err, " the histogram file does not exist\n");
}

TEST_F(ConsoleRun, LimitChecksStopBeforeAnyFileIsRead) {
    const std::string not_valid = "  The min and max data values are not valid\n";
    const std::string log_needs = "  The min and max data values have to be supplied for log histogram option\n";
    for (const auto& [arguments, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"-m5"}, not_valid},
             {{"-m5", "-M1"}, not_valid},
             {{"-Hlog"}, log_needs},
             {{"-Hlog", "-m0", "-M10"}, log_needs},
         }) {
        std::vector<std::string> all{"g.asc", "out.bmp"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        const RunResult r = run(all);
        EXPECT_EQ(r.status, 1) << arguments[0];
        EXPECT_EQ(r.out, start_text()) << arguments[0];
        EXPECT_EQ(r.err, message) << arguments[0];
    }
    EXPECT_FALSE(read_bmp(dir.file("out.bmp")));
}

TEST_F(ConsoleRun, UnreadableOptionValueNamesTheOption) {
    const RunResult width = run({"g.asc", "out.bmp", "-Wwide"});
    EXPECT_EQ(width.status, 1);
    EXPECT_EQ(width.err, "  The value of the option -W is missing or not a number : -Wwide\n");
}

TEST_F(ConsoleRun, UnknownFormatReportsTheStatus) {
    write_file(dir.file("data.xyz"), std::string(200, 'z'));
    const RunResult r = run({"data.xyz", "out.bmp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, start_text());
    EXPECT_EQ(r.err, "  The grid file format could not be determined : -1005\n");

    write_file(dir.file("tiny.xyz"), "ncols");
    EXPECT_EQ(run({"tiny.xyz", "out.bmp"}).err, "  The grid file format could not be determined : -1006\n");
    EXPECT_TRUE(working_files(dir.path()).empty());
}

}  // namespace
}  // namespace rastrify::testing
