#include "console.h"
#include "options.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace rastrify {
namespace {

TEST(Options, ClassifiedByTheirFirstTwoCharacters) {
    EXPECT_EQ(classify("-Ixyz"), OptionKind::invert);
    EXPECT_EQ(classify("-i"), OptionKind::histogram_file);  // only the capital inverts
    EXPECT_EQ(classify("-W800"), OptionKind::width);
    EXPECT_EQ(classify("-w800"), OptionKind::width);
    EXPECT_EQ(classify("-m0"), OptionKind::lower);
    EXPECT_EQ(classify("-M0"), OptionKind::upper);
    EXPECT_EQ(classify("-Hlin"), OptionKind::distribution);
    EXPECT_EQ(classify("-hlog"), OptionKind::distribution);
    EXPECT_EQ(classify("-G"), OptionKind::world_file);
    EXPECT_EQ(classify("-g"), OptionKind::histogram_file);
    EXPECT_EQ(classify("-Lbar.svg"), OptionKind::colour_bar);
    EXPECT_EQ(classify("-l"), OptionKind::histogram_file);
    EXPECT_EQ(classify("-T"), OptionKind::tiles);
    EXPECT_EQ(classify("-Tiles"), OptionKind::tiles);   // like -G, a value is passed over
    EXPECT_EQ(classify("-t"), OptionKind::histogram_file);
    EXPECT_EQ(classify("--tiles"), OptionKind::histogram_file);
    EXPECT_EQ(classify("-"), OptionKind::histogram_file);
    EXPECT_EQ(classify("levels.his"), OptionKind::histogram_file);
}

TEST(Options, DistributionByFirstThenSecondCharacter) {
    const auto lin = Distribution::lin, log = Distribution::log, hist = Distribution::hist;
    EXPECT_EQ(distribution_from("lin", hist), lin);
    EXPECT_EQ(distribution_from("log", lin), log);
    EXPECT_EQ(distribution_from("xO", lin), log);
    EXPECT_EQ(distribution_from("hist", lin), hist);
    EXPECT_EQ(distribution_from("HIST", log), hist);
    EXPECT_EQ(distribution_from("", log), log);
    EXPECT_EQ(distribution_from("l", log), log);
    EXPECT_EQ(distribution_from("lax", lin), lin);
    EXPECT_EQ(distribution_from(" lin", log), log);
}

struct Applied {
    Settings settings;
    std::optional<OptionError> error;
};

Applied apply(std::vector<std::string> arguments, std::set<std::string> files = {}) {
    Applied a;
    a.error = apply_options(arguments, a.settings, [&](const std::string& n) { return files.count(n) > 0; });
    return a;
}

TEST(Options, ValuesAreReadAndLaterOptionsWin) {
    const Applied a = apply({"-W800", "-m 1.5", "-M2e3", "-Hlog", "-I", "-w640", "-hlin"});
    ASSERT_FALSE(a.error);
    EXPECT_TRUE(a.settings.invert);
    EXPECT_EQ(a.settings.width, 640);
    EXPECT_EQ(a.settings.lower, 1.5f);
    EXPECT_EQ(a.settings.upper, 2000.0f);
    EXPECT_EQ(a.settings.distribution, Distribution::lin);
    EXPECT_EQ(a.settings.histogram_name, "");
    EXPECT_EQ(apply({"-Hlog", "-H"}).settings.distribution, Distribution::log);
}

TEST(Options, UnreadableValueNamesTheOption) {
    for (const char* bad : {"-W", "-Wide", "-W12.5", "-m", "-mlow", "-M1e99", "-W,"}) {
        const Applied a = apply({bad});
        ASSERT_TRUE(a.error) << bad;
        EXPECT_FALSE(a.error->plain);
        EXPECT_EQ(a.error->text, " The value of the option " + std::string(bad).substr(0, 2) +
                                     " is missing or not a number : " + bad);
    }
}

TEST(Options, EveryHistogramFileMustExistAndTheLastWins) {
    const Applied two = apply({"a.his", "-I", "b.his  "}, {"a.his", "b.his"});
    ASSERT_FALSE(two.error);
    EXPECT_EQ(two.settings.histogram_name, "b.his");

    const Applied missing = apply({"missing.his", "b.his"}, {"b.his"});
    ASSERT_TRUE(missing.error);
    EXPECT_TRUE(missing.error->plain);
    EXPECT_EQ(missing.error->text, message::histogram_missing);

    EXPECT_TRUE(apply({"-i"}).error);
    EXPECT_FALSE(apply({"-i"}, {"-i"}).error);
}

TEST(Options, OverlongHistogramNameIsRefusedNotCut) {
    const std::string name(300, 'h');
    // Even a file under the cut name must not be opened instead.
    const Applied a = apply({name}, {name, name.substr(0, 80), name.substr(0, 256)});
    ASSERT_TRUE(a.error);
    EXPECT_EQ(a.error->text, " The name of the histogram file is longer than 256 characters");
    EXPECT_FALSE(apply({std::string(256, 'h')}, {std::string(256, 'h')}).error);
}

}  // namespace
}  // namespace rastrify
