// Text grid vectors and rows, read in file order.
#include "rows/text_rows.h"

namespace gridlib::rows {

bool WrittenNumbers::read_values(std::span<float> values) { return vectors_.read(values); }

void WrittenNumbers::end_vector() { vectors_.end_vector(); }

Status TextRowSource::read(std::int64_t k, std::span<float> values) {
    if (!vectors_->read_values(values)) return row_status(k);
    vectors_->end_vector();
    return 0;
}

}  // namespace gridlib::rows
