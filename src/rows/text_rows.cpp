// Text grid vectors and rows, read in file order.
#include "rows/text_rows.h"

#include "rows/number_scanner.h"

namespace gridlib::rows {

bool WrittenNumbers::read_values(std::span<float> values) {
    return read_numbers(unit_.file(), values) == ScanResult::ok;
}

void WrittenNumbers::end_vector() { skip_line(unit_.file()); }

Status TextRowSource::read(std::int64_t k, std::span<float> values) {
    if (!vectors_->read_values(values)) return row_status(k);
    vectors_->end_vector();
    return 0;
}

}  // namespace gridlib::rows
