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
    // Stated outer edges are moved half a cell inward to the edge cells' centres.
    .cell_point = CellPoint::centre,
    .content_tests = kContentTests,
};

}  // namespace gridlib::formats
