// Windows, steps and refusals of the window reader, and the statistics it
// leaves in the working grid and the descriptor.
#include "grid/window.h"
#include "grid_test_support.h"
#include "gridlib.h"
#include "platform/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

namespace gridlib::testing {
namespace {

class WindowRead : public ::testing::Test {
protected:
    void SetUp() override {
        // 10 columns x 9 rows, value 100 * g + i, stored south first.
        ByteWriter w;
        w.zeros(512);
        for (std::int32_t g = 1; g <= 9; ++g)
            for (std::int32_t i = 1; i <= 10; ++i) w.f32(static_cast<float>(100 * g + i));
        write_file(input, w.bytes());
    }
    std::int32_t read(GridDescriptor& g, const GridWindow& w) {
        return read_into_working_grid(input, working, g.view(), w);
    }
    TempDir dir;
    std::string input = dir.file("grid.bin");
    std::string working = dir.file("work.tmp");
};

TEST_F(WindowRead, StepsAndWindowsSelectCellsAndRewriteTheGeometry) {
    auto g = descriptor(FormatCode::binary_512, 10, 9, 512, 4);
    auto d = g.view();
    ASSERT_EQ(read(g, whole(d, 3, 2)), 0);  // columns 1 4 7 10, rows 1 3 5 7 9
    auto out = read_working(working);
    ASSERT_EQ(out.columns(), 4);
    ASSERT_EQ(out.rows(), 5);
    EXPECT_EQ(out.values().front(), (std::vector<float>{901, 904, 907, 910}));
    EXPECT_EQ(out.values().back(), (std::vector<float>{101, 104, 107, 110}));
    EXPECT_EQ(out.at<double>(20), 3.0);
    EXPECT_EQ(out.at<double>(28), 2.0);
    EXPECT_EQ(d.columns(), 4);
    EXPECT_EQ(d.rows(), 5);
    EXPECT_EQ(d.east_x(), 9.0f);
    EXPECT_EQ(d.north_y(), 8.0f);
    EXPECT_EQ(d.column_spacing(), 3.0f);
    EXPECT_EQ(d.row_spacing(), 2.0f);
    EXPECT_EQ(d.columns_read(), 0);  // the input's size copies are not touched

    // Nine columns with step 3 keep 1, 4, 7; a window inside the grid moves
    // the origin.
    g = descriptor(FormatCode::binary_512, 10, 9, 512, 4);
    ASSERT_EQ(read(g, {1.5f, 8.2f, 3, 2.5f, 6.0f, 1}), 0);  // columns 2..8 -> 2 5 8; rows 3..7
    out = read_working(working);
    ASSERT_EQ(out.columns(), 3);
    ASSERT_EQ(out.rows(), 5);
    EXPECT_EQ(out.values().front(), (std::vector<float>{702, 705, 708}));
    EXPECT_EQ(out.values().back(), (std::vector<float>{302, 305, 308}));
    EXPECT_EQ(out.at<double>(36), 1.0);
    EXPECT_EQ(out.at<double>(44), 2.0);
    EXPECT_EQ(g.view().west_x(), 1.0f);
    EXPECT_EQ(g.view().east_x(), 7.0f);
}

TEST_F(WindowRead, WindowsOutsideTheGridAreRefusedWithoutAFile) {
    auto g = descriptor(FormatCode::binary_512, 10, 9, 512, 4);
    const auto d = g.view();
    GridWindow w = whole(d);
    w.north_y = d.south_y();  // touching the southern edge is outside
    EXPECT_EQ(read(g, w), -1);
    w = whole(d);
    w.west_x = d.east_x();
    EXPECT_EQ(read(g, w), -1);
    // A single-row grid called with its own extent has no height to overlap.
    auto single = descriptor(FormatCode::binary_512, 10, 1, 512, 4);
    EXPECT_EQ(read(single, whole(single.view())), -1);
    EXPECT_EQ(read(g, whole(d, 0, 1)), -1);  // a step of 0
    EXPECT_FALSE(platform::file_exists(working));
}

TEST_F(WindowRead, RefusalsComeBeforeAnyFileIsCreated) {
    auto g = descriptor(FormatCode::binary_512, 10, 9, 512, 4);
    const GridWindow w = whole(g.view());
    // Through the C entry point, which takes the names as fixed-length texts.
    auto call = [&](std::string_view in, std::string_view out) {
        const auto in_length = static_cast<std::int32_t>(in.size());
        const auto out_length = static_cast<std::int32_t>(out.size());
        std::int32_t status = 0;
        GRDRDG(in.data(), &in_length, out.data(), &out_length, g.ihead.data(), g.rhead.data(), &w.west_x, &w.east_x,
               &w.column_step, &w.south_y, &w.north_y, &w.row_step, &status);
        return status;
    };
    EXPECT_EQ(call("        ", fixed_name(working)), -1);
    EXPECT_EQ(call(fixed_name(input), std::string("\0abc", 4)), -1);
    EXPECT_EQ(call("a   ", fixed_name(working)), -1);  // one character, no NUL
    EXPECT_EQ(call(fixed_name(input), fixed_name(input)), -1);  // would truncate the input
    // So would another name of the same file.
    std::filesystem::create_hard_link(input, dir.file("input.link"));
    EXPECT_EQ(call(fixed_name(input), fixed_name(dir.file("input.link"))), -1);
    EXPECT_EQ(std::filesystem::file_size(input), 512u + 10 * 9 * 4);

    for (FormatCode f : {FormatCode::pcidsk, FormatCode::bil, FormatCode::bip}) {
        g.view().set_format(f);
        EXPECT_EQ(call(fixed_name(input), fixed_name(working)), -1);
    }
    g.view().format_code() = 99;
    EXPECT_EQ(call(fixed_name(input), fixed_name(working)), -11);

    g = descriptor(FormatCode::binary_512, 0, 9, 512, 4);
    g.view().east_x() = 5;
    EXPECT_EQ(call(fixed_name(input), fixed_name(working)), -1);
    g = descriptor(FormatCode::binary_512, 10, 9, 512, 4);
    EXPECT_EQ(call(dir.file("missing.bin") + '\0', fixed_name(working)), -1);
    EXPECT_FALSE(platform::file_exists(working));
}

TEST_F(WindowRead, ExtremeDescriptorWordsGiveAStatusNeverACrash) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    for (FormatCode f : {FormatCode::er_mapper, FormatCode::binary_512, FormatCode::surfer7, FormatCode::binary_24,
                         FormatCode::k_blocks, FormatCode::bgd, FormatCode::esri_ascii, FormatCode::gxf,
                         FormatCode::grid_text}) {
        for (std::int32_t word : {kMin, -1, kMax}) {
            auto g = descriptor(f, 10, 9, word, word, word, word);
            g.view().band_count() = word;
            g.view().selected_band() = word;
            const std::string data = f == FormatCode::er_mapper ? dir.file("g") : input;
            write_file(dir.file("g"), std::string(600, '1'));
            const auto status =
                read_into_working_grid(f == FormatCode::er_mapper ? dir.file("g.ers") : data, working,
                       g.view(), whole(g.view()));
            EXPECT_NE(status, 0) << static_cast<int>(f) << " " << word;
        }
    }
}

TEST_F(WindowRead, AWorkingFileThatCannotBeCreatedIsAFailure) {
    auto g = descriptor(FormatCode::binary_512, 10, 9, 512, 4);
    EXPECT_EQ(read_into_working_grid(input, dir.file("no/such/dir/work.tmp"), g.view(), whole(g.view())), -2);
    EXPECT_EQ(g.view().columns(), 10);
}

TEST_F(WindowRead, AGridWithoutValidValuesKeepsTheUnknownStatistics) {
    auto g = descriptor(FormatCode::binary_512, 10, 9, 512, 2, 1, 2, -32767.0f);
    ByteWriter w;
    w.zeros(512);
    for (int i = 0; i < 90; ++i) w.i16(-32767);
    write_file(input, w.bytes());
    auto d = g.view();
    d.mean() = 12.0f;
    d.std_dev() = 3.0f;
    ASSERT_EQ(read(g, whole(d)), 0);
    const auto out = read_working(working);
    EXPECT_EQ(out.count(), 0);
    EXPECT_EQ(out.at<float>(160), kNullValue);
    EXPECT_EQ(out.at<float>(168), kNullValue);
    EXPECT_EQ(out.at<double>(176), static_cast<double>(kNullValue));
    EXPECT_EQ(d.data_min(), 1.0e32f);
    EXPECT_EQ(d.data_max(), -1.0e32f);
    EXPECT_EQ(d.colour_min(), 1.0e32f);
    EXPECT_EQ(d.colour_max(), -1.0e32f);
    EXPECT_EQ(d.mean(), 12.0f);
    EXPECT_EQ(d.std_dev(), 3.0f);
}

TEST_F(WindowRead, TheFirstValidValueMayBeTheLargest) {
    ByteWriter w;
    w.zeros(512);
    for (float v : {9, 1, 2, 3}) w.f32(v);
    write_file(input, w.bytes());
    auto g = descriptor(FormatCode::binary_512, 2, 2, 512, 4, 2);  // north first
    ASSERT_EQ(read(g, whole(g.view())), 0);
    EXPECT_EQ(g.view().data_max(), 9.0f);
    EXPECT_EQ(g.view().data_min(), 1.0f);

    // Values all above 1.0e32 report their own minimum, not 1.0e32.
    ByteWriter high;
    high.zeros(512);
    for (float v : {2.0e32f, 3.0e38f, 5.0e32f, 1.5e32f}) high.f32(v);
    write_file(input, high.bytes());
    g = descriptor(FormatCode::binary_512, 2, 2, 512, 4, 2);
    ASSERT_EQ(read(g, whole(g.view())), 0);
    EXPECT_EQ(g.view().data_min(), 1.5e32f);
    EXPECT_EQ(g.view().colour_min(), 1.5e32f);
    EXPECT_EQ(g.view().data_max(), 3.0e38f);
    EXPECT_EQ(read_working(working).at<float>(160), 1.5e32f);
}

}  // namespace
}  // namespace gridlib::testing
