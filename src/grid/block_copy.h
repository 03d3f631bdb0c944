// Stored rows that can be positioned, read and converted a block of rows at
// a time on several threads and written to the working grid in order.
#pragma once

#include "grid/row_copy.h"
#include "rows/read_plan.h"
#include "rows/row_source.h"

#include <cstdint>

namespace gridlib::grid {

// Visits the stored rows visit.first, visit.first + visit_step, ...,
// visit.last of source and writes the kept ones: 0 or the status of the
// first failure.
rows::Status copy_blocks(const Copy& c, rows::RowSource& source, rows::StoredRows visit, std::int64_t visit_step,
                         int threads);

}  // namespace gridlib::grid
