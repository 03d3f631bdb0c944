// Files of known size are refused ahead when their file system has no room
// for them (a gradient file, a BMP); a PNG, whose size shows only once it is
// compressed, is not.
#include "colour/colour_table.h"
#include "descriptor/grid_descriptor.h"
#include "gridlib.h"
#include "image/gradient_writer.h"
#include "image/image_files.h"
#include "image/palette_writer.h"
#include "support/available_bytes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>

namespace gridlib {
namespace {

using testing::ScopedAvailableBytes;
using testing::TempDir;

constexpr std::int32_t kColumns = 4, kRows = 3;
constexpr std::uint64_t kGradientBytes = kColumns * kRows * 4;
// Headers, 8 palette entries, 3 lines of 4 bytes.
constexpr std::uint64_t kBmpBytes = 54 + 8 * 4 + kRows * 4;

struct Output {
    TempDir dir;
    GridDescriptor desc;
    std::array<std::int32_t, kColourTableValues> colours{};
    std::array<float, kSlopeSteps> slopes{};

    Output() {
        testing::write_working_grid(dir.file("grid"), kColumns, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        auto d = desc.view();
        d.set_format(FormatCode::binary_512);
        d.columns() = kColumns;
        d.rows() = kRows;
        d.column_spacing() = d.row_spacing() = 1;
        d.colour_min() = 1;
        d.colour_max() = 12;
    }
    std::int32_t gradient(const std::string& name) {
        return write_gradient_file(dir.file("grid"), name, desc.view(), 1.0f, slopes);
    }
    std::int32_t image(const std::string& name, ImageFormat format) {
        return write_palette_image(dir.file("grid"), name, desc.view(), 1, {}, 8,
                                   ConstColourTableView(std::span<const std::int32_t, kColourTableValues>(colours)),
                                   format);
    }
};

TEST(OutputRoom, FilesOfKnownSizeAreRefusedWhenTheyCannotFit) {
    struct Case {
        const char* what;
        const char* name;
        std::uint64_t available;
        std::int32_t status;
        std::uint64_t shortage_needed;  // 0: none
    };
    const Case cases[] = {
        {"gradient, room enough", "slopes", kGradientBytes, GRIDLIB_OK, 0},
        {"gradient, a byte short", "slopes", kGradientBytes - 1, GRIDLIB_NO_ROOM, kGradientBytes},
        {"BMP, room enough", "out.bmp", kBmpBytes, GRIDLIB_OK, 0},
        {"BMP, a byte short", "out.bmp", kBmpBytes - 1, GRIDLIB_NO_ROOM, kBmpBytes},
        {"PNG, whatever the room", "out.png", 0, GRIDLIB_OK, 0},
    };
    for (const Case& c : cases) {
        Output out;
        const std::string name = out.dir.file(c.name);
        // An earlier image stays as it was when the new one is refused.
        if (c.name != std::string("slopes")) testing::write_file(name, "earlier");
        const ScopedAvailableBytes room(c.available);
        const bool gradient = c.name == std::string("slopes");
        const std::int32_t status =
            gradient ? out.gradient(name) : out.image(name, name.ends_with(".png") ? ImageFormat::png : ImageFormat::bmp);
        EXPECT_EQ(status, c.status) << c.what;
        if (c.shortage_needed == 0) continue;
        const std::vector<std::string> kept =
            gradient ? std::vector<std::string>{"grid"} : std::vector<std::string>{"grid", c.name};
        EXPECT_EQ(testing::entries(out.dir.path()), kept) << c.what;
        if (!gradient) {
            EXPECT_EQ(testing::read_text(name), "earlier") << c.what;
        }
        EXPECT_EQ(platform::last_room_shortage().needed, c.shortage_needed) << c.what;
    }
}

}  // namespace
}  // namespace gridlib
