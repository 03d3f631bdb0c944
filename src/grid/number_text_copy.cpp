// Written numbers: pieces of text parsed apart, stitched into rows in
// order, and gathered into blocks of working rows for writing.
#include "grid/number_text_copy.h"

#include "threads/ordered_run.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace gridlib::grid {
namespace {

// Working rows that come one at a time, their numbers rising or falling by
// one, gathered and written in blocks.
class RowGatherer {
public:
    RowGatherer(const Copy& c, std::size_t capacity, bool rising)
        : c_(c), capacity_(capacity), rising_(rising),
          values_(std::make_unique_for_overwrite<float[]>(capacity * c.working_columns())) {}

    // The kept values of working row s, which follows the row added before.
    bool add(std::int64_t s, std::span<const float> row) {
        const std::size_t place = rising_ ? count_ : capacity_ - 1 - count_;
        std::copy(row.begin(), row.end(), values_.get() + place * row.size());
        if (count_++ == 0 || !rising_) first_ = s;
        return count_ < capacity_ || flush();
    }
    bool flush() {
        const std::size_t m = c_.working_columns(), from = rising_ ? 0 : capacity_ - count_;
        const bool ok = c_.write(first_, {values_.get() + from * m, count_ * m});
        count_ = 0;
        return ok;
    }

private:
    const Copy& c_;
    const std::size_t capacity_;
    const bool rising_;
    std::unique_ptr<float[]> values_;
    std::size_t count_ = 0;
    std::int64_t first_ = 0;  // the lowest working row gathered
};

}  // namespace

// Written numbers: pieces of text are parsed on all threads and stitched
// into rows in order on this one, where each row is converted, summed and
// gathered for writing.
rows::Status copy_number_text(const Copy& c, rows::NumberText& text, int threads) {
    const std::size_t slots = threads::slots_for(threads);
    std::vector<rows::NumberPiece> pieces(slots);
    auto spanning = std::make_unique_for_overwrite<float[]>(c.stored_columns);
    rows::RowStitcher stitcher({spanning.get(), c.stored_columns}, c.map.stored_rows);
    RowGatherer gathered(c, std::max<std::size_t>(1, kBlockValues / c.working_columns()), c.map.north_first);
    bool written = true;
    const auto row_done = [&](std::int64_t k, std::span<float> row) {
        c.progress.advance(k);
        if (!c.map.keeps(k)) return true;
        const std::span<float> kept = c.convert(row, row.data());
        c.stats.add(kept);
        written = gathered.add(c.map.working_row(k), kept);
        return written;
    };
    threads::Stages stages;
    stages.in_order = [&](std::int64_t, std::size_t slot) { return text.read_piece(pieces[slot]); };
    stages.in_parallel = [&](std::int64_t, std::size_t slot) { pieces[slot].parse(); };
    stages.deliver = [&](std::int64_t, std::size_t slot) { return stitcher.take(pieces[slot], row_done); };
    threads::run_ordered(std::numeric_limits<std::int64_t>::max(), threads, stages);
    // The rows stitched before a failure are written all the same.
    if (!gathered.flush() || !written) return GRIDLIB_WORKING_GRID_FAILED;
    return stitcher.status();
}

}  // namespace gridlib::grid
