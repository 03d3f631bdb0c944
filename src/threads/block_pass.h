// A pass over rows in blocks: the rows are cut into blocks of a fixed number
// of rows, and each block passes through the ordered run with the buffers of
// its slot. The block size depends only on the bytes a row needs, never on
// the thread count, so that every count gives the same results; memory is
// bounded by the slots, never by the number of rows. A site of a pass writes
// only its block's buffers and its stages.
#pragma once

#include "threads/ordered_run.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace gridlib::threads {

// The blocks of `rows` rows (or image lines, or row visits) when one row
// takes row_bytes of a block's buffers and a block about block_bytes.
class BlockPlan {
public:
    BlockPlan(std::int64_t rows, std::size_t row_bytes, std::size_t block_bytes)
        : rows_(rows), per_block_(rows_per_block(row_bytes, block_bytes)),
          blocks_(rows > 0 ? (rows + per_block_ - 1) / per_block_ : 0) {}
    // Blocks of per_block >= 1 rows each (the last one fewer).
    BlockPlan(std::int64_t rows, std::int64_t per_block)
        : rows_(rows), per_block_(per_block), blocks_(rows > 0 ? (rows + per_block_ - 1) / per_block_ : 0) {}

    // At least one row a block, however long a row is.
    static std::int64_t rows_per_block(std::size_t row_bytes, std::size_t block_bytes) {
        return static_cast<std::int64_t>(std::max<std::size_t>(1, block_bytes / std::max<std::size_t>(1, row_bytes)));
    }

    std::int64_t rows() const { return rows_; }
    std::int64_t per_block() const { return per_block_; }
    std::int64_t blocks() const { return blocks_; }
    std::int64_t first(std::int64_t block) const { return block * per_block_; }
    std::int64_t rows_in(std::int64_t block) const { return std::min(per_block_, rows_ - first(block)); }

private:
    std::int64_t rows_;
    std::int64_t per_block_;
    std::int64_t blocks_;
};

// What a site does with a block in its slot's buffers (see Stages).
template <typename Block>
struct BlockStages {
    std::function<bool(std::int64_t block, Block&)> in_order;
    std::function<void(std::int64_t block, Block&, std::size_t slot)> in_parallel;
    std::function<bool(std::int64_t block, Block&, std::size_t slot)> deliver;
};

// One Block of buffers per slot, and the run of a plan's blocks through them.
template <typename Block>
class BlockPass {
public:
    explicit BlockPass(const BlockPlan& plan) : plan_(plan) {}

    const BlockPlan& plan() const { return plan_; }

    // Makes each slot's buffers by make(block) for as many of `threads`
    // threads as memory allows (threads_with_buffers): never more slots than
    // blocks. on_slots, when given, learns the number of slots first.
    // Returns the thread count the buffers were made for; throws
    // std::bad_alloc when even one thread's do not fit.
    int make_buffers(int threads, const std::function<void(Block&)>& make,
                     const std::function<void(std::size_t slots)>& on_slots = {}) {
        threads_ = threads_with_buffers(threads, [&](std::size_t slots) {
            const auto used = std::min<std::int64_t>(static_cast<std::int64_t>(slots), plan_.blocks());
            blocks_.clear();
            blocks_.resize(static_cast<std::size_t>(used));
            if (on_slots) on_slots(blocks_.size());
            for (Block& block : blocks_) make(block);
        });
        return threads_;
    }

    Block& block(std::size_t slot) { return blocks_[slot]; }

    // Runs every block of the plan through the stages on the threads the
    // buffers were made for.
    void run(const BlockStages<Block>& stages) {
        Stages s;
        if (stages.in_order)
            s.in_order = [&](std::int64_t b, std::size_t slot) { return stages.in_order(b, blocks_[slot]); };
        if (stages.in_parallel)
            s.in_parallel = [&](std::int64_t b, std::size_t slot) { stages.in_parallel(b, blocks_[slot], slot); };
        if (stages.deliver)
            s.deliver = [&](std::int64_t b, std::size_t slot) { return stages.deliver(b, blocks_[slot], slot); };
        run_ordered(plan_.blocks(), threads_, s);
    }

private:
    BlockPlan plan_;
    int threads_ = 1;
    std::vector<Block> blocks_;
};

}  // namespace gridlib::threads
