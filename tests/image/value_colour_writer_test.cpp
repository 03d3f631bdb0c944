// The palette file writer: whether a cell's colour comes from the table of
// bins or is interpolated on its own, it is the colour by value exactly,
// across discrete steps, B and F colours and null cells.
#include "image/value_colour_writer.h"

#include "image_files.h"
#include "support/png_decode.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace gridlib {
namespace {

using testing::decode_png;
using testing::rgba;

// A PNG holds red, green and blue where no colour has alpha and a colour
// no value is given is left for the null cells (white where it can be),
// and red, green, blue and alpha otherwise; decoded, the pixels are alike.
TEST(ValueColourWriter, EveryCellHasItsExactColour) {
    const struct {
        const char* text;
        bool gmt;
        bool keyed;
        std::uint32_t null_pixel;  // decoded
    } cases[] = {
        {"0 0/0/0 10 255/255/255\n10 255/0/0 10.5 255/0/0\n10.5 0 0 255 30 0 255 0\nB 1/1/1\nF 2/2/2\nN 3/3/3\n", true,
         true, rgba(3, 3, 3, 255)},
        {"0% 0 0 0\n33.3% 250 3 17 9\n100% 1 254 128\n", false, false, rgba(255, 255, 255, 0)},
        {"0% 0 0 255\n50% 0 255 0\n100% 255 0 0\n", false, true, rgba(255, 255, 255, 0)},
        // White is given: another colour is the key.
        {"0% 0 0 0\n100% 255 255 255\n", false, true, rgba(255, 255, 0, 0)},
    };
    const std::int32_t columns = 101, rows = 37;
    std::vector<float> values;
    for (std::int32_t i = 0; i < columns * rows; ++i)
        values.push_back(i == 55 ? testing::kNull : -2.0f + 33.0f * static_cast<float>(i) / (columns * rows - 1));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto palette = std::get<PaletteFile>(parse_palette(c.text, c.gmt));
        const testing::TempDir dir;
        testing::write_working_grid(dir.file("w.grd"), columns, values);
        testing::WorkingDescriptor d(columns, rows, 0.0f, 1.0f);
        d.rhead[GRIDLIB_DATA_MIN] = -2.0f;
        d.rhead[GRIDLIB_DATA_MAX] = 31.0f;
        ASSERT_EQ(write_value_colour_image(dir.file("w.grd"), dir.file("i.png"), DescriptorView(d.ihead.data(),
                                                                                                 d.rhead.data()),
                                           palette),
                  GRIDLIB_OK);
        const auto png = decode_png(dir.file("i.png"));
        ASSERT_TRUE(png);
        EXPECT_EQ(png->keyed, c.keyed);
        const ValueColours exact(palette, -2.0, 31.0);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const Rgba v = exact(values[i]);
            const std::uint32_t expected = i == 55 ? c.null_pixel : rgba(v.red, v.green, v.blue, v.alpha);
            ASSERT_EQ(png->pixels[i], expected) << values[i];
        }
    }
}

}  // namespace
}  // namespace gridlib
