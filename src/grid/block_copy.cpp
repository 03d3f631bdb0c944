// Blocks of stored rows: each is read (in order, or on any thread where the
// source allows), converted and summed on any thread, and delivered to the
// statistics and the working grid in order.
#include "grid/block_copy.h"

#include "threads/block_pass.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace gridlib::grid {
namespace {

using rows::Status;

// A block of stored rows visited one after another. Its kept rows lie in
// `values` in working order (their working rows are consecutive), first
// as read, `stored_columns` apart, then converted, `working_columns` apart.
struct RowBlock {
    std::unique_ptr<float[]> values;  // the kept rows, then one for a row not kept
    std::unique_ptr<std::byte[]> scratch;
    std::unique_ptr<RowSums[]> sums;  // of the kept rows, in working order
    std::int64_t first = 0;     // the first stored row
    std::int64_t visits = 0;    // stored rows visited
    std::int64_t kept = 0;      // of which kept
    std::int64_t lowest = 0;    // the lowest working row among them
    std::int64_t read = 0;      // stored rows read, from the first on
    Status status = 0;          // the failure of the row after them

    std::size_t place(const Copy& c, std::int64_t k) const {
        return static_cast<std::size_t>(c.map.working_row(k) - lowest);
    }
};

// The kept rows of the first `read` visits of a block: their places (in
// working order) and their lowest working row.
struct KeptRange {
    std::size_t from = 0, to = 0;
    std::int64_t working_row = 0;
};

class BlockedCopy {
public:
    BlockedCopy(const Copy& c, rows::StoredRows visit, std::int64_t visit_step, int threads)
        : c_(c), visit_(visit), step_(visit_step),
          pass_(threads::BlockPlan((visit.last - visit.first) / visit_step + 1, c.stored_columns, kBlockValues)),
          threads_(threads) {}

    Status run(rows::RowSource& source) {
        const rows::ConcurrentRows* concurrent = source.concurrent();
        // A sequential source reads the rows the window leaves out into one more row.
        const std::int64_t rows = per_block() + (concurrent ? 0 : 1);
        scratch_bytes_ = concurrent ? concurrent->scratch_bytes(per_block()) : 0;
        pass_.make_buffers(threads_, [&](RowBlock& block) {
            // Not initialised: a short file must not cost the touch of a huge buffer.
            block.values = std::make_unique_for_overwrite<float[]>(row_values(rows));
            block.scratch = std::make_unique_for_overwrite<std::byte[]>(scratch_bytes_);
            block.sums = std::make_unique<RowSums[]>(static_cast<std::size_t>(per_block()));
        });
        threads::BlockStages<RowBlock> stages;
        if (concurrent) {
            stages.in_parallel = [&](std::int64_t b, RowBlock& block, std::size_t) {
                start(b, block);
                const auto got = concurrent->read_rows(block.first, step_, block.visits, !c_.map.north_first,
                                                       {block.scratch.get(), scratch_bytes_},
                                                       {block.values.get(), row_values(block.visits)});
                block.read = got.rows;
                block.status = got.status;
                convert(block);
            };
        } else {
            stages.in_order = [&](std::int64_t b, RowBlock& block) {
                start(b, block);
                read_in_order(source, block);
                return block.status == 0;
            };
            stages.in_parallel = [&](std::int64_t, RowBlock& block, std::size_t) { convert(block); };
        }
        stages.deliver = [&](std::int64_t b, RowBlock& block, std::size_t) { return deliver(b, block); };
        pass_.run(stages);
        return status_;
    }

private:
    std::int64_t per_block() const { return pass_.plan().per_block(); }
    std::size_t row_values(std::int64_t rows) const { return static_cast<std::size_t>(rows) * c_.stored_columns; }

    // Sets out block b: its stored rows and where its kept rows go.
    void start(std::int64_t b, RowBlock& block) const {
        const threads::BlockPlan& plan = pass_.plan();
        block.first = visit_.first + plan.first(b) * step_;
        block.visits = plan.rows_in(b);
        block.kept = 0;
        block.lowest = std::numeric_limits<std::int64_t>::max();
        for (std::int64_t j = 0; j < block.visits; ++j) {
            const std::int64_t k = block.first + j * step_;
            if (!c_.map.keeps(k)) continue;
            ++block.kept;
            block.lowest = std::min(block.lowest, c_.map.working_row(k));
        }
        block.read = 0;
        block.status = 0;
    }

    void read_in_order(rows::RowSource& source, RowBlock& block) const {
        float* const spare = block.values.get() + row_values(per_block());
        for (std::int64_t j = 0; j < block.visits; ++j) {
            const std::int64_t k = block.first + j * step_;
            float* const to = c_.map.keeps(k) ? block.values.get() + row_values(1) * block.place(c_, k) : spare;
            block.status = source.read(k, {to, c_.stored_columns});
            if (block.status != 0) return;
            block.read = j + 1;
        }
    }

    KeptRange kept_read(const RowBlock& block) const {
        std::int64_t count = 0;
        for (std::int64_t j = 0; j < block.read; ++j) count += c_.map.keeps(block.first + j * step_);
        // Working rows rise with the stored rows when the northern row comes first.
        const auto n = static_cast<std::size_t>(count), all = static_cast<std::size_t>(block.kept);
        if (c_.map.north_first) return {0, n, block.lowest};
        return {all - n, all, block.lowest + static_cast<std::int64_t>(all - n)};
    }

    // Converts the kept rows read and sums them, in working order: each row
    // moves to its place among working rows, which is never beyond where it
    // was read.
    void convert(RowBlock& block) const {
        const KeptRange r = kept_read(block);
        const std::size_t n = c_.stored_columns, m = c_.working_columns();
        for (std::size_t p = r.from; p < r.to; ++p) {
            float* const row = block.values.get() + p * n;
            block.sums[p] = row_sums(c_.convert({row, n}, block.values.get() + p * m));
        }
    }

    // Adds the block's rows to the statistics in the order they were read,
    // and writes them.
    bool deliver(std::int64_t b, const RowBlock& block) {
        for (std::int64_t j = 0; j < block.read; ++j) {
            const std::int64_t k = block.first + j * step_;
            if (c_.map.keeps(k)) c_.stats.add(block.sums[block.place(c_, k)]);
        }
        const KeptRange r = kept_read(block);
        const std::size_t m = c_.working_columns();
        if (!c_.write(r.working_row, {block.values.get() + r.from * m, (r.to - r.from) * m})) {
            status_ = GRIDLIB_WORKING_GRID_FAILED;
            return false;
        }
        c_.progress.advance(pass_.plan().first(b) + block.read);
        status_ = block.status;
        return status_ == 0;
    }

    const Copy& c_;
    const rows::StoredRows visit_;
    const std::int64_t step_;
    threads::BlockPass<RowBlock> pass_;
    const int threads_;
    std::size_t scratch_bytes_ = 0;
    Status status_ = GRIDLIB_OK;
};

}  // namespace

Status copy_blocks(const Copy& c, rows::RowSource& source, rows::StoredRows visit, std::int64_t visit_step,
                   int threads) {
    return BlockedCopy(c, visit, visit_step, threads).run(source);
}

}  // namespace gridlib::grid
