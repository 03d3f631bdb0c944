#include "colour/histogram.h"
#include "grid/working_grid.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

namespace gridlib {
namespace {

using testing::ByteWriter;
using testing::TempDir;

// A working grid file whose stored row s (1-based), column c (0-based)
// holds value(s, c); `rows_present` may be fewer than `rows` for a short file.
void write_grid(const std::string& path, std::int32_t columns, std::int32_t rows,
                const std::function<float(std::int32_t, std::int32_t)>& value, std::int32_t rows_present = -1) {
    working_grid::Geometry g;
    g.columns = columns;
    g.rows = rows;
    const auto header = working_grid::header_bytes(g);
    ByteWriter w;
    if (rows_present < 0) rows_present = rows;
    for (std::int32_t s = 1; s <= rows_present; ++s)
        for (std::int32_t c = 0; c < columns; ++c) w.f32(value(s, c));
    std::vector<std::byte> bytes(header.size() + w.size());
    std::memcpy(bytes.data(), header.data(), header.size());
    if (w.size() > 0) std::memcpy(bytes.data() + header.size(), w.bytes().data(), w.size());
    testing::write_file(path, bytes);
}

struct Histogram {
    GridDescriptor desc;
    std::array<std::int32_t, kLevels> levels{};
    Histogram(std::int32_t columns, std::int32_t rows, float lower, float upper) {
        auto d = desc.view();
        d.set_format(FormatCode::esri_ascii);
        d.columns() = columns;
        d.rows() = rows;
        d.null_value() = kNullValue;
        d.colour_min() = lower;
        d.colour_max() = upper;
    }
    std::int32_t run(const std::string& path, float tail = 0.99f) { return count_histogram(path, desc.view(), tail, levels); }
    std::int32_t at(std::int32_t bin) const { return levels[static_cast<std::size_t>(bin - 1)]; }
    std::int32_t total() const { return std::accumulate(levels.begin(), levels.end(), 0); }
};

TEST(Histogram, SamplingStepKeepsAtMost513CellsPerSide) {
    EXPECT_EQ(histogram_sampling_step(2), 1);
    EXPECT_EQ(histogram_sampling_step(513), 1);
    EXPECT_EQ(histogram_sampling_step(514), 2);
    EXPECT_EQ(histogram_sampling_step(1026), 2);
    EXPECT_EQ(histogram_sampling_step(1027), 3);
}

TEST(Histogram, CountsOnlyTheSampledColumnsAndRows) {
    TempDir dir;
    // Even columns hold 1, odd columns 3: the counts show which were sampled.
    auto by_column = [](std::int32_t, std::int32_t c) { return c % 2 == 0 ? 1.0f : 3.0f; };
    const float lower = 0.0f, upper = 4096.0f;  // bin k holds [k - 1, k)
    struct Case {
        std::int32_t columns;
        std::int32_t ones, threes;
    };
    for (const Case& k : {Case{513, 257, 256}, Case{514, 257, 0}, Case{1026, 513, 0}, Case{1027, 172, 171}}) {
        const std::string path = dir.file("cols" + std::to_string(k.columns));
        write_grid(path, k.columns, 2, by_column);
        Histogram h(k.columns, 2, lower, upper);
        ASSERT_EQ(h.run(path), 0) << k.columns;
        EXPECT_EQ(h.at(2), 2 * k.ones) << k.columns;
        EXPECT_EQ(h.at(4), 2 * k.threes) << k.columns;
    }
    // Rows likewise: 514 rows are sampled every second row, from row 1.
    const std::string path = dir.file("rows");
    write_grid(path, 2, 514, [](std::int32_t s, std::int32_t) { return s % 2 == 1 ? 1.0f : 3.0f; });
    Histogram h(2, 514, lower, upper);
    ASSERT_EQ(h.run(path), 0);
    EXPECT_EQ(h.at(2), 2 * 257);
    EXPECT_EQ(h.at(4), 0);
}

TEST(Histogram, CallerLimitsGiveOnePassWithTheEndsInTheEndBins) {
    TempDir dir;
    const std::string path = dir.file("g");
    const std::array<float, 8> values{10.0f, 20.0f, 15.0f, 9.99f, 20.01f, kNullValue, -1.0e30f, 12.5f};
    write_grid(path, 4, 2, [&](std::int32_t s, std::int32_t c) { return values[(s - 1) * 4 + c]; });
    Histogram h(4, 2, 10.0f, 20.0f);
    ASSERT_EQ(h.run(path), 0);
    EXPECT_EQ(h.desc.view().colour_min(), 10.0f);
    EXPECT_EQ(h.desc.view().colour_max(), 20.0f);
    EXPECT_EQ(h.at(1), 1);     // the lower limit itself
    EXPECT_EQ(h.at(4096), 1);  // the upper limit itself
    EXPECT_EQ(h.at(2049), 1);  // 15: the middle
    EXPECT_EQ(h.at(1025), 1);  // 12.5: a quarter
    EXPECT_EQ(h.total(), 4);   // outside values and nulls are not counted
}

TEST(Histogram, OpenLimitsAreNarrowedThreeTimesAroundTheBulk) {
    TempDir dir;
    const std::string path = dir.file("g");
    // 10000 cells: 9990 at 100.5 and five at each end of 0..4096. The first
    // pass has bins of width 1; each narrowing keeps 1024 bins around the
    // bulk, and the fourth pass is the last.
    write_grid(path, 100, 100, [](std::int32_t s, std::int32_t c) {
        if (s == 1 && c < 5) return 0.0f;
        if (s == 1 && c < 10) return 4096.0f;
        return 100.5f;
    });
    Histogram h(100, 100, 0.0f, 0.0f);
    auto d = h.desc.view();
    d.data_min() = 0.0f;
    d.data_max() = 4096.0f;
    ASSERT_EQ(h.run(path), 0);
    EXPECT_EQ(d.colour_min(), 68.5f);
    EXPECT_EQ(d.colour_max(), 132.5f);
    EXPECT_EQ(h.at(2049), 9990);
    EXPECT_EQ(h.total(), 9990);

    // The same grid with the range given: one pass, tails counted.
    Histogram given(100, 100, 0.0f, 4096.0f);
    ASSERT_EQ(given.run(path), 0);
    EXPECT_EQ(given.at(1), 5);
    EXPECT_EQ(given.at(101), 9990);
    EXPECT_EQ(given.at(4096), 5);
}

TEST(Histogram, OpenLimitsStayWhenNothingIsWorthCutting) {
    TempDir dir;
    // Spread evenly over the whole range: the cut points stay far apart.
    const std::string even = dir.file("even");
    write_grid(even, 100, 100, [](std::int32_t s, std::int32_t c) { return float((s - 1) * 100 + c); });
    Histogram h(100, 100, 5.0f, 5.0f);
    h.desc.view().data_min() = 0.0f;
    h.desc.view().data_max() = 9999.0f;
    ASSERT_EQ(h.run(even), 0);
    EXPECT_EQ(h.desc.view().colour_min(), 0.0f);
    EXPECT_EQ(h.desc.view().colour_max(), 9999.0f);
    EXPECT_EQ(h.total(), 10000);

    // Fewer than 100 values give a threshold of 0: no narrowing either.
    const std::string few = dir.file("few");
    write_grid(few, 3, 3, [](std::int32_t s, std::int32_t c) { return s == 1 && c == 0 ? 1000.0f : 1.0f; });
    Histogram small(3, 3, 0.0f, 0.0f);
    small.desc.view().data_min() = 1.0f;
    small.desc.view().data_max() = 1000.0f;
    ASSERT_EQ(small.run(few), 0);
    EXPECT_EQ(small.desc.view().colour_max(), 1000.0f);
    EXPECT_EQ(small.at(1), 8);
    EXPECT_EQ(small.at(4096), 1);
}

TEST(Histogram, ConstantGridNeedsNoFile) {
    Histogram h(10, 10, 0.0f, 0.0f);
    h.levels.fill(9);
    h.desc.view().data_min() = 7.0f;
    h.desc.view().data_max() = 7.0f;
    EXPECT_EQ(h.run("no such file"), 0);
    EXPECT_EQ(h.at(1), 1);
    EXPECT_EQ(h.total(), 1);
}

TEST(Histogram, RefusalsAndUnreadableGrids) {
    TempDir dir;
    Histogram image(10, 10, 0.0f, 1.0f);
    image.desc.view().set_format(FormatCode::pcidsk);
    EXPECT_EQ(image.run("x"), GRIDLIB_REFUSED);

    EXPECT_EQ(Histogram(1, 10, 0.0f, 1.0f).run("x"), GRIDLIB_HISTOGRAM_TOO_SMALL);
    EXPECT_EQ(Histogram(10, 1, 0.0f, 1.0f).run("x"), GRIDLIB_HISTOGRAM_TOO_SMALL);

    // No valid value: the data range is left inverted.
    Histogram empty(10, 10, 0.0f, 0.0f);
    empty.desc.view().data_min() = 1.0f;
    empty.desc.view().data_max() = -1.0f;
    empty.levels.fill(9);
    EXPECT_EQ(empty.run("x"), GRIDLIB_REFUSED);
    EXPECT_EQ(empty.at(1), 9);  // left alone

    // The lower limit is the null value.
    EXPECT_EQ(Histogram(10, 10, kNullValue, 1.0f).run("x"), GRIDLIB_REFUSED);

    // A missing or short working grid must not pass for a histogram.
    Histogram missing(10, 10, 0.0f, 1.0f);
    missing.levels.fill(9);
    EXPECT_EQ(missing.run(dir.file("absent")), GRIDLIB_HISTOGRAM_UNREADABLE);
    EXPECT_EQ(missing.at(1), 9);
    const std::string short_file = dir.file("short");
    write_grid(short_file, 10, 10, [](std::int32_t, std::int32_t) { return 0.5f; }, 9);
    EXPECT_EQ(Histogram(10, 10, 0.0f, 1.0f).run(short_file), GRIDLIB_HISTOGRAM_UNREADABLE);
    write_grid(short_file, 10, 10, [](std::int32_t, std::int32_t) { return 0.5f; });
    EXPECT_EQ(Histogram(10, 10, 0.0f, 1.0f).run(short_file), GRIDLIB_OK);
}

}  // namespace
}  // namespace gridlib
