// What a tile holds as a reader decodes it: the PNG's pixels, and the JSON
// texts of the facts beside the tiles.
#include "tiles/json_text.h"
#include "tiles/png_tile.h"
#include "tiles/tile_colours.h"

#include "support/png_decode.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace gridlib::tiles {
namespace {

using testing::decode_png;
using testing::TempDir;

TEST(PngTile, DecodesToThePixelsEncoded) {
    // An asymmetric pattern with transparent runs and every byte value.
    for (const auto& [width, height] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{{256, 256}, {7, 3}}) {
        std::vector<std::uint8_t> rgba(std::size_t{width} * height * 4);
        for (std::size_t i = 0; i < rgba.size(); ++i)
            rgba[i] = static_cast<std::uint8_t>(i % 4 == 3 ? ((i / 4) % width < width / 3 ? 0 : 255) : (i * 7919) >> 3);
        PngTileEncoder encoder;
        ASSERT_TRUE(encoder.encode(rgba, width, height));
        TempDir dir;
        const auto bytes = encoder.bytes();
        testing::write_file(dir.file("t.png"), std::vector<std::byte>(bytes.begin(), bytes.end()));
        const auto png = decode_png(dir.file("t.png"));
        ASSERT_TRUE(png);
        ASSERT_EQ(png->width, width);
        ASSERT_EQ(png->height, height);
        ASSERT_FALSE(png->indexed);
        for (std::size_t p = 0; p < png->pixels.size(); ++p)
            ASSERT_EQ(png->pixels[p], testing::rgba(rgba[4 * p], rgba[4 * p + 1], rgba[4 * p + 2], rgba[4 * p + 3]))
                << p;
    }
}

TEST(TileColours, PaintsTheTableEntryOfTheBinAndNullTransparent) {
    std::vector<std::int32_t> table(kColourTableValues, 0);
    const ColourTableView view(std::span<std::int32_t, kColourTableValues>(table.data(), kColourTableValues));
    for (std::size_t e = 0; e < kColourEntries; ++e) {
        const auto entry = static_cast<std::int32_t>(e);
        view.set(e, {entry, 255 - entry, 7});
    }
    const ConstColourTableView colours(
        std::span<const std::int32_t, kColourTableValues>(table.data(), kColourTableValues));
    const TileColours linear(0, 100, GRIDLIB_MAPPING_LINEAR, {}, 10, colours);
    const TileColours inverted(0, 100, -GRIDLIB_MAPPING_LINEAR, {}, 10, colours);
    const std::vector<float> values = {-5, 0, 50, 99.99f, 1e9f, kNullValue, std::numeric_limits<float>::quiet_NaN()};
    std::vector<std::uint8_t> out(values.size() * 4), out_inverted(values.size() * 4);
    linear.paint(values, out.data());
    inverted.paint(values, out_inverted.data());
    // 10 entries: data colours 2..9 spread over the levels.
    const std::vector<int> want_red = {2, 2, 6, 9, 9, 0, 0}, want_alpha = {255, 255, 255, 255, 255, 0, 0};
    const std::vector<int> want_red_inverted = {9, 9, 5, 2, 2, 0, 0};
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(out[4 * i], want_red[i]) << i;
        EXPECT_EQ(out[4 * i + 3], want_alpha[i]) << i;
        EXPECT_EQ(out_inverted[4 * i], want_red_inverted[i]) << i;
        if (want_alpha[i] == 255) {
            EXPECT_EQ(out[4 * i + 1], 255 - want_red[i]) << i;
        }
    }
}

TEST(JsonText, EscapesWhatWouldBreakTheTextOrThePage) {
    struct Case {
        std::string text, want;
    };
    for (const Case& c : std::vector<Case>{{"grid.asc", "\"grid.asc\""},
                                           {"a\"b\\c", "\"a\\u0022b\\u005cc\""},
                                           {"</script><b>&", "\"\\u003c/script\\u003e\\u003cb\\u003e\\u0026\""},
                                           {"tab\tnew\n", "\"tab\\u0009new\\u000a\""},
                                           {"h\xc3\xb6he", "\"h\xc3\xb6he\""},
                                           {"bad\xff", "\"bad\xef\xbf\xbd\""}}) {
        EXPECT_EQ(json_string(c.text), c.want) << c.text;
    }
    EXPECT_EQ(json_number(0.1), "0.1");
    EXPECT_EQ(json_number(-10), "-10");
    EXPECT_EQ(json_number(std::nan("")), "null");
    EXPECT_EQ(json_number(HUGE_VAL), "null");
}

}  // namespace
}  // namespace gridlib::tiles
