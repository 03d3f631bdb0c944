// What a tile holds as a reader decodes it, and the JSON texts of the facts
// beside the tiles.
#include "tiles/json_text.h"
#include "tiles/png_tile.h"

#include "support/png_decode.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>
#include <vector>

namespace gridlib::tiles {
namespace {

using testing::decode_png;
using testing::TempDir;

TEST(PngTile, DecodesToTheIndicesAndPaletteEncoded) {
    // An asymmetric pattern over every index, and runs of the transparent one.
    for (const auto& [width, height, entries] :
         std::vector<std::tuple<std::uint32_t, std::uint32_t, int>>{{256, 256, 256}, {7, 3, 5}}) {
        std::vector<std::array<std::uint8_t, 3>> palette;
        for (int e = 0; e < entries; ++e)
            palette.push_back({static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(255 - e), 7});
        std::vector<std::uint8_t> indices(std::size_t{width} * height);
        for (std::size_t i = 0; i < indices.size(); ++i)
            indices[i] = static_cast<std::uint8_t>(i % width < width / 3 ? 0 : (i * 7919 >> 3) % entries);
        PngTileEncoder encoder(palette, width, height);
        ASSERT_TRUE(encoder.encode(indices));
        TempDir dir;
        const auto bytes = encoder.bytes();
        testing::write_file(dir.file("t.png"), std::vector<std::byte>(bytes.begin(), bytes.end()));
        const auto png = decode_png(dir.file("t.png"));
        ASSERT_TRUE(png);
        ASSERT_EQ(png->width, width);
        ASSERT_EQ(png->height, height);
        ASSERT_TRUE(png->indexed);
        ASSERT_EQ(png->palette.size(), palette.size());
        EXPECT_EQ(png->palette[1], (std::array<int, 3>{1, 254, 7}));
        EXPECT_EQ(png->palette_alpha, std::vector<int>{0});
        for (std::size_t p = 0; p < png->pixels.size(); ++p) ASSERT_EQ(png->pixels[p], indices[p]) << p;
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
    EXPECT_EQ(json_number(-10.0), "-10");
    EXPECT_EQ(json_number(500000.0), "500000");
    EXPECT_EQ(json_number(251.3f), "251.3");
    EXPECT_EQ(json_number(1e-30), "1e-30");
    EXPECT_EQ(json_number(3e38f), "3e+38");
    EXPECT_EQ(json_number(std::nan("")), "null");
    EXPECT_EQ(json_number(HUGE_VAL), "null");
}

}  // namespace
}  // namespace gridlib::tiles
