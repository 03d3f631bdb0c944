// Text grid rows, read in file order.
#include "rows/text_rows.h"

#include "rows/number_scanner.h"

namespace gridlib::rows {

Status TextRowSource::read(std::int64_t k, std::span<float> values) {
    return read_text_row(unit_.file(), values) == ScanResult::ok ? 0 : row_status(k);
}

}  // namespace gridlib::rows
