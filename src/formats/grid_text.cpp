// "$$GRID$$" character-coded text grids: recognised; their header and
// values are not read yet.
#include "formats/driver.h"

namespace gridlib::formats {
namespace {

bool grid_text_signature(const FirstBytes& b, DescriptorView&) { return b.starts_with("$$GRID$$"); }

constexpr ContentTest kContentTests[] = {grid_text_signature};

}  // namespace

constinit const Driver grid_text_driver{
    .format = FormatCode::grid_text,
    .content_tests = kContentTests,
};

}  // namespace gridlib::formats
