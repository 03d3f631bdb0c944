// Text grids of written numbers read into the working grid: pieces of text
// are parsed on all threads and stitched into rows in order.
#pragma once

#include "grid/row_copy.h"
#include "rows/number_text.h"

namespace gridlib::grid {

// Reads every stored row of text and writes the kept ones: 0 or the status
// of the first failure.
rows::Status copy_number_text(const Copy& c, rows::NumberText& text, int threads);

}  // namespace gridlib::grid
