// Colour bars through the C entry point, read back as their readers see
// them: the SVG drawn by headless Chromium, the PNG decoded by Pillow
// (tools/colour_bar_reader.py). Marked skipped where either is missing.
#include "gridlib.h"

#include "colour/colour_table.h"
#include "colour/palette_file.h"
#include "grid/working_grid.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include <sys/wait.h>

namespace gridlib::testing {
namespace {

constexpr float kNullCell = GRIDLIB_NULL_VALUE;

struct Colours {
    std::int32_t count = 0;
    std::vector<std::int32_t> values = std::vector<std::int32_t>(3 * GRIDLIB_COLOURS, 0);
};

Colours rainbow() {
    const std::int32_t scheme = 2, none = 0;
    const float zero = 0;
    Colours c;
    COLORMAP(&scheme, &zero, &zero, &none, &none, &zero, &c.count, c.values.data());
    return c;
}

// A working grid of one row holding the values.
void write_grid(const std::string& path, const std::vector<float>& values) {
    const working_grid::Geometry g{static_cast<std::int32_t>(values.size()), 1, 1, 1, 0, 0};
    auto writer = working_grid::Writer::create(path, g);
    ASSERT_TRUE(writer && writer->write_rows(1, values) && writer->close());
}

struct Bar {
    std::int32_t axis = GRIDLIB_BAR_STEPS;
    std::int32_t mapping = GRIDLIB_MAPPING_THROUGH_LEVELS;
    float lower = 0, upper = 1000;
    bool with_null = false;
};

// Levels that crowd the colours into the upper values: the steps of an
// equalised image of values that are mostly high. Every level's palette
// entry follows the one before, so every data colour is used.
std::vector<std::int32_t> uneven_levels() {
    std::vector<std::int32_t> levels(GRIDLIB_LEVELS);
    for (std::size_t k = 0; k < levels.size(); ++k)
        levels[k] = std::max(1, static_cast<int>(std::lround(4096 * std::pow((k + 1) / 4096.0, 2))));
    return levels;
}

// The arguments every bar takes: its name, its title, and a working grid of
// one row holding lower, upper and a null cell or upper again, with its
// descriptor (the limits as colour limits and as the data range).
struct BarArguments {
    BarArguments(const TempDir& dir, const std::string& name, float lower, float upper, bool with_null)
        : path(dir.file(name)), grid(dir.file("work.grd")) {
        write_grid(grid, {lower, upper, with_null ? kNullCell : upper});
        ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_BINARY_512;
        ihead[GRIDLIB_COLUMNS] = 3;
        ihead[GRIDLIB_ROWS] = 1;
        rhead[GRIDLIB_COLOUR_MIN] = rhead[GRIDLIB_DATA_MIN] = lower;
        rhead[GRIDLIB_COLOUR_MAX] = rhead[GRIDLIB_DATA_MAX] = upper;
    }
    const std::string path, grid, title = "terrain.asc";
    const std::int32_t path_length = static_cast<std::int32_t>(path.size()),
                       grid_length = static_cast<std::int32_t>(grid.size()),
                       title_length = static_cast<std::int32_t>(title.size());
    std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> ihead{};
    std::array<float, GRIDLIB_RHEAD_SIZE> rhead{};
};

std::int32_t write_bar(const TempDir& dir, const std::string& name, const Bar& b) {
    const BarArguments a(dir, name, b.lower, b.upper, b.with_null);
    const Colours colours = rainbow();
    const std::vector<std::int32_t> levels = uneven_levels();
    std::int32_t status = 99;
    gridlib_write_colour_bar(a.path.data(), &a.path_length, a.title.data(), &a.title_length, a.grid.data(),
                             &a.grid_length, a.ihead.data(), a.rhead.data(), &b.axis, &b.mapping, levels.data(),
                             &colours.count, colours.values.data(), &status);
    return status;
}

// A palette file's stops as gridlib_read_palette_file returns them.
struct Stops {
    std::vector<double> values;
    std::vector<std::int32_t> kinds;
    std::vector<std::int32_t> colours;  // red, green, blue, alpha
    std::vector<std::int32_t> extra = std::vector<std::int32_t>(12, -1);
};

Stops stops_of(const PaletteFile& file) {
    Stops s;
    for (const PaletteStop& stop : file.stops) {
        s.values.push_back(stop.value);
        s.kinds.push_back(stop.percent ? 1 : 0);
        s.colours.insert(s.colours.end(), {stop.colour.red, stop.colour.green, stop.colour.blue, stop.colour.alpha});
    }
    return s;
}

// The bar of a palette file's image of the grid of BarArguments.
std::int32_t write_palette_file_bar(const TempDir& dir, const std::string& name, const PaletteFile& palette,
                                    float lower, float upper, bool with_null) {
    const BarArguments a(dir, name, lower, upper, with_null);
    const Stops stops = stops_of(palette);
    const auto count = static_cast<std::int32_t>(stops.values.size());
    std::int32_t status = 99;
    gridlib_write_palette_file_bar(a.path.data(), &a.path_length, a.title.data(), &a.title_length, a.grid.data(),
                                   &a.grid_length, a.ihead.data(), a.rhead.data(), &count, stops.values.data(),
                                   stops.kinds.data(), stops.colours.data(), stops.extra.data(), &status);
    return status;
}

PaletteFile parsed(const char* text, bool gmt_table) { return std::get<PaletteFile>(parse_palette(text, gmt_table)); }

std::string source_dir() {
    const char* root = std::getenv("GRIDLIB_SOURCE_DIR");
    return root ? root : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().string();
}

// What tools/colour_bar_reader.py prints, line by line; nothing when it
// finds no Chromium or Pillow.
std::optional<std::vector<std::string>> read_back(const std::string& arguments) {
    const std::string command = "/usr/bin/python3 '" + source_dir() + "/tools/colour_bar_reader.py' " + arguments;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::vector<std::string> lines;
    char line[4096];
    while (pipe && std::fgets(line, sizeof line, pipe.get())) lines.emplace_back(line, std::strlen(line) - 1);
    const int status = pipe ? ::pclose(pipe.release()) : -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) return std::nullopt;
    EXPECT_EQ(status, 0) << command;
    return lines;
}

struct Label {
    std::string kind;
    double value = 0, top = 0, bottom = 0;
    std::string text;
    double middle() const { return (top + bottom) / 2; }
};

struct DrawnBar {
    long inked = 0;
    std::vector<Rgb8> column;  // the screenshot's, from the top, when asked for
    std::vector<Label> labels;
    double top = 0, bottom = 0;                   // the frame
    std::map<double, std::pair<double, double>> steps;  // begins: top, bottom
};

std::optional<DrawnBar> drawn(const std::string& svg, const std::string& column = "") {
    const auto lines = read_back("svg '" + svg + "' " + column);
    if (!lines) return std::nullopt;
    DrawnBar bar;
    for (const std::string& line : *lines) {
        std::istringstream in(line);
        std::string head, kind, value;
        in >> head;
        if (head == "inked") {
            in >> bar.inked;
        } else if (head == "column") {
            Rgb8 c;
            char comma;
            while (in >> c.red >> comma >> c.green >> comma >> c.blue) bar.column.push_back(c);
        } else if (head == "label") {
            Label l;
            double left, right;
            in >> l.kind >> value >> l.top >> l.bottom >> left >> right >> std::ws;
            std::getline(in, l.text);
            l.value = value == "-" ? 0 : std::stod(value);
            bar.labels.push_back(l);
        } else if (head == "frame") {
            in >> value >> bar.top >> bar.bottom;
        } else if (head == "step") {
            double top, bottom;
            in >> value >> top >> bottom;
            bar.steps[std::stod(value)] = {top, bottom};
        }
    }
    return bar;
}

std::vector<Label> of_kind(const DrawnBar& bar, const std::string& kind) {
    std::vector<Label> out;
    for (const Label& l : bar.labels)
        if (l.kind == kind) out.push_back(l);
    return out;
}

// The labels are there, ascending from the bottom up, none overlapping the next.
void expect_readable(const std::vector<Label>& labels) {
    ASSERT_GE(labels.size(), 3u);
    for (std::size_t i = 1; i < labels.size(); ++i) {
        EXPECT_GT(labels[i].value, labels[i - 1].value) << labels[i].text;
        EXPECT_LE(labels[i].bottom, labels[i - 1].top) << labels[i].text << " overlaps " << labels[i - 1].text;
    }
}

// A label's middle lies within this of its tick.
constexpr double kCentring = 3.0;

TEST(ColourBarInBrowser, EqualisedStepsAreLabelledWhereTheyBegin) {
    TempDir dir;
    ASSERT_EQ(write_bar(dir, "bar.svg", {}), GRIDLIB_OK);
    const auto bar = drawn(dir.file("bar.svg"));
    if (!bar) GTEST_SKIP() << "no headless Chromium or no Pillow: the browser check is left out";
    EXPECT_GT(bar->inked, 5000);
    EXPECT_EQ(of_kind(*bar, "title").at(0).text, "terrain.asc");
    EXPECT_TRUE(of_kind(*bar, "no-data-label").empty());
    const auto labels = of_kind(*bar, "label");
    expect_readable(labels);
    // Every data colour of the rainbow, each step equally long.
    ASSERT_EQ(bar->steps.size(), 236u);
    const double length = (bar->bottom - bar->top) / 236;
    for (const auto& [begins, box] : bar->steps) EXPECT_NEAR(box.second - box.first, length, 0.01) << begins;
    // Each label but the upper limit's at the bottom of its step.
    for (std::size_t i = 0; i + 1 < labels.size(); ++i) {
        const auto step = bar->steps.find(labels[i].value);
        ASSERT_NE(step, bar->steps.end()) << labels[i].text;
        EXPECT_NEAR(labels[i].middle(), step->second.second, kCentring) << labels[i].text;
    }
    EXPECT_EQ(labels.back().text, "1000");
    EXPECT_NEAR(labels.back().middle(), bar->top, kCentring);
    // The uneven levels show: the lower values take fewer colours, so the
    // labels' values lie further apart at the bottom.
    EXPECT_GT(labels[1].value - labels[0].value, 2 * (labels[2].value - labels[1].value));
}

TEST(ColourBarInBrowser, ValueAxesLabelRoundNumbersAtTheirPlaces) {
    const struct {
        const char* name;
        Bar bar;
        std::vector<std::string> texts;
    } cases[] = {
        {"linear", {GRIDLIB_BAR_LINEAR, GRIDLIB_MAPPING_LINEAR, -5, 45, true},
         {"-5", "0", "5", "10", "15", "20", "25", "30", "35", "40", "45"}},
        {"log", {GRIDLIB_BAR_LOG, GRIDLIB_MAPPING_THROUGH_LEVELS, 1, 500, false},
         {"1", "2", "5", "10", "20", "50", "100", "200", "500"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_EQ(write_bar(dir, "bar.svg", c.bar), GRIDLIB_OK);
        const auto bar = drawn(dir.file("bar.svg"));
        if (!bar) GTEST_SKIP() << "no headless Chromium or no Pillow: the browser check is left out";
        const auto labels = of_kind(*bar, "label");
        expect_readable(labels);
        std::vector<std::string> texts;
        for (const Label& l : labels) texts.push_back(l.text);
        EXPECT_EQ(texts, c.texts);
        const double lower = c.bar.lower, upper = c.bar.upper;
        for (const Label& l : labels) {
            const double place = c.bar.axis == GRIDLIB_BAR_LOG ? std::log(l.value / lower) / std::log(upper / lower)
                                                               : (l.value - lower) / (upper - lower);
            EXPECT_NEAR(l.middle(), bar->bottom - place * (bar->bottom - bar->top), kCentring) << l.text;
        }
        EXPECT_EQ(of_kind(*bar, "no-data-label").size(), c.bar.with_null ? 1u : 0u);
    }
}

// A palette file's bar, labelled at its own values within the data (a
// percentage resolved, stops beyond the data left out), each at the place
// its value says; the bar's colour at each label the image's colour there.
TEST(ColourBarInBrowser, PaletteFileLabelsItsValuesOverItsColours) {
    const PaletteFile palette =
        parsed("-20 0 0 255\n250 30 200 40\n400 250 250 0\n50% 90 20 160\n700 200 0 0\n2000 0 0 0\n", false);
    const float lower = 100, upper = 1000;
    TempDir dir;
    ASSERT_EQ(write_palette_file_bar(dir, "bar.svg", palette, lower, upper, true), GRIDLIB_OK);
    // The middle of the bar, 12 pixels from the left and 24 wide.
    const auto bar = drawn(dir.file("bar.svg"), "24");
    if (!bar) GTEST_SKIP() << "no headless Chromium or no Pillow: the browser check is left out";
    EXPECT_EQ(of_kind(*bar, "title").at(0).text, "terrain.asc");
    EXPECT_EQ(of_kind(*bar, "no-data-label").size(), 1u);
    const auto labels = of_kind(*bar, "label");
    expect_readable(labels);
    std::vector<std::string> texts;
    for (const Label& l : labels) texts.push_back(l.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"250", "400", "550", "700"}));
    const ValueColours colour_of(palette, lower, upper);
    const double length = bar->bottom - bar->top;
    for (const Label& l : labels) {
        const double tick = bar->bottom - (l.value - lower) / (upper - lower) * length;
        EXPECT_NEAR(l.middle(), tick, kCentring) << l.text;
        const auto row = static_cast<std::size_t>(tick);
        ASSERT_LT(row, bar->column.size());
        const Rgb8 pixel = bar->column[row];
        const Rgba expected = colour_of(l.value);
        // Half a pixel of the ramps here moves a channel by 2 at most.
        EXPECT_NEAR(pixel.red, expected.red, 3) << l.text;
        EXPECT_NEAR(pixel.green, expected.green, 3) << l.text;
        EXPECT_NEAR(pixel.blue, expected.blue, 3) << l.text;
    }
}

// A GMT table's discrete segments are flat steps, in order, and the value
// where two meet is labelled once.
TEST(ColourBarPng, PaletteFileSegmentsAreFlatSteps) {
    const PaletteFile palette = parsed("0 255/0/0 10 255/0/0\n10 0/0/255 20 0/0/255\n20 0/255/0 30 0/255/0\n", true);
    TempDir dir;
    ASSERT_EQ(write_palette_file_bar(dir, "bar.png", palette, 0, 30, false), GRIDLIB_OK);
    const auto lines = read_back("png '" + dir.file("bar.png") + "' 24 45 1000");
    if (!lines) GTEST_SKIP() << "no Pillow: the read-back is left out";
    ASSERT_EQ(lines->size(), 3u);
    // The frame's lower line, the three steps, the frame's upper line.
    EXPECT_NE((*lines)[1].find(" 0,0,0 255,0,0 0,0,255 0,255,0 0,0,0"), std::string::npos) << (*lines)[1];
    TempDir svg_dir;
    ASSERT_EQ(write_palette_file_bar(svg_dir, "bar.svg", palette, 0, 30, false), GRIDLIB_OK);
    std::ifstream in(svg_dir.file("bar.svg"));
    const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const std::string value : {"\"0\">0<", "\"10\">10<", "\"20\">20<", "\"30\">30<"}) {
        int count = 0;
        for (auto at = svg.find(value); at != std::string::npos; at = svg.find(value, at + 1)) ++count;
        EXPECT_EQ(count, 1) << value;
    }
}

TEST(ColourBarPng, ShowsTheColoursInOrderAndDarkLabels) {
    TempDir dir;
    ASSERT_EQ(write_bar(dir, "bar.png", {.with_null = true}), GRIDLIB_OK);
    // The bar's middle column, and the band right of the ticks.
    const auto lines = read_back("png '" + dir.file("bar.png") + "' 24 45 1000");
    if (!lines) GTEST_SKIP() << "no Pillow: the read-back is left out";
    ASSERT_EQ(lines->size(), 3u);
    const Colours colours = rainbow();
    // The data colours from the bottom up, those equal to the one below
    // them being one run of pixels.
    std::string expected, previous;
    for (std::int32_t p = 2; p < colours.count; ++p) {
        char text[40];
        std::snprintf(text, sizeof text, " %d,%d,%d", colours.values[p], colours.values[GRIDLIB_COLOURS + p],
                      colours.values[2 * GRIDLIB_COLOURS + p]);
        const std::string rgb = text;
        if (rgb != previous) expected += rgb;
        previous = rgb;
    }
    EXPECT_NE((*lines)[1].find(expected + " 0,0,0"), std::string::npos) << (*lines)[1];
    std::istringstream dark((*lines)[2].substr(5));
    long dark_pixels = 0;
    dark >> dark_pixels;
    EXPECT_GT(dark_pixels, 200);
}

TEST(ColourBar, RefusesWhatItCannotDrawAndLeavesNothing) {
    const struct {
        const char* name;
        Bar bar;
    } cases[] = {
        {"bar.txt", {}},
        {"bar.svg", {.lower = 5, .upper = 5}},
        {"bar.svg", {.axis = GRIDLIB_BAR_LOG, .lower = 0, .upper = 10}},
        {"bar.png", {.axis = 7}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        EXPECT_EQ(write_bar(dir, c.name, c.bar), GRIDLIB_REFUSED) << c.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "only the working grid";
    }
}

}  // namespace
}  // namespace gridlib::testing
