// The image file around the shared line loop: a BMP's headers and lines
// from the bottom up, a PNG's chunks and lines from the top down, or a
// TIFF's rows of tiles from the top down.
#include "image/image_file.h"

#include "gridlib.h"
#include "grid/working_grid.h"
#include "image/block_memory.h"
#include "image/geotiff_placement.h"
#include "image/pending_file.h"
#include "image/png_blocks.h"
#include "image/tiff_tiles.h"
#include "platform/file_system_room.h"
#include "platform/physical_memory.h"
#include "threads/thread_count.h"

#include <memory>
#include <new>
#include <vector>

namespace gridlib::image {
namespace {

class BmpLines final : public LineSink {
public:
    explicit BmpLines(platform::File& file) : sink_(file) {}
    bool start(const bmp::Layout& layout, const std::optional<ConstColourTableView>& palette) {
        if (!bmp::write_header(sink_, layout)) return false;
        return layout.palette_entries == 0 || (palette && bmp::write_palette(sink_, *palette, layout.palette_entries));
    }
    bool write(const PaintedBlock& block, std::size_t) override {
        if (block.replication == 1) return sink_.write(block.lines);
        for (std::size_t at = 0; at < block.lines.size(); at += block.line_bytes)
            for (std::int64_t r = 0; r < block.replication; ++r)
                if (!sink_.write(block.lines.subspan(at, block.line_bytes))) return false;
        return true;
    }

private:
    bmp::FileSink sink_;
};

// A sink that compresses each block on the thread that painted it, with a
// compressor of the block's slot, and writes it in order: PNG's and TIFF's.
template <typename Compressor>
class CompressedLines : public LineSink {
public:
    void prepare(const PaintedBlock& block, std::size_t slot) override {
        Slot& s = slots_[slot];
        s.compressed = compress(*s.compressor, block);
    }

protected:
    template <typename... Args>
    void make_compressors(std::size_t slots, const Args&... args) {
        slots_.clear();
        for (std::size_t s = 0; s < slots; ++s) slots_.push_back({std::make_unique<Compressor>(args...)});
    }
    // False when zlib failed. May throw std::bad_alloc.
    virtual bool compress(Compressor& compressor, const PaintedBlock& block) = 0;
    // The slot's compressor once its block is compressed; null when that failed.
    const Compressor* compressed(std::size_t slot) const {
        const Slot& s = slots_[slot];
        return s.compressed ? s.compressor.get() : nullptr;
    }

private:
    struct Slot {
        std::unique_ptr<Compressor> compressor;
        bool compressed = false;
    };
    std::vector<Slot> slots_;
};

// Blocks of lines, each compressed into a piece of the image's zlib stream.
class PngLines final : public CompressedLines<png::BlockCompressor> {
public:
    PngLines(std::unique_ptr<png::Writer> writer, const png::Layout& layout)
        : writer_(std::move(writer)), layout_(layout) {}
    void use_slots(std::size_t slots) override {
        make_compressors(slots, layout_.line_bytes, layout_.line_bytes / layout_.width, layout_.compression);
    }
    bool write(const PaintedBlock&, std::size_t slot) override {
        const auto* c = compressed(slot);
        return c && writer_->write_image_data(joiner_.pieces(*c));
    }
    bool finish() { return writer_->finish(); }

private:
    bool compress(png::BlockCompressor& c, const PaintedBlock& block) override {
        return c.compress(block.lines, block.replication, block.last);
    }

    std::unique_ptr<png::Writer> writer_;
    const png::Layout layout_;
    png::StreamJoiner joiner_;
};

// Bands of a row of tiles, each tile compressed into a stream of its own.
class TiffLines final : public CompressedLines<tiff::TileCompressor> {
public:
    TiffLines(std::unique_ptr<tiff::Writer> writer, const tiff::Layout& layout)
        : writer_(std::move(writer)), layout_(layout) {}
    std::int64_t band_lines() const override { return tiff::kTileSide; }
    void use_slots(std::size_t slots) override { make_compressors(slots, layout_); }
    bool write(const PaintedBlock&, std::size_t slot) override {
        const auto* c = compressed(slot);
        if (!c) return false;
        for (std::size_t t = 0; t < layout_.tiles_across; ++t)
            if (!writer_->write_tile(c->tile(t))) return false;
        return true;
    }
    bool finish() { return writer_->finish(); }

private:
    bool compress(tiff::TileCompressor& c, const PaintedBlock& block) override { return c.compress(block.lines); }

    std::unique_ptr<tiff::Writer> writer_;
    const tiff::Layout layout_;
};

}  // namespace

std::optional<ImageLayout> ImageLayout::plan(ImageFormat format, std::int64_t width, std::int64_t height,
                                             Pixels pixels, std::uint32_t palette_entries) {
    const bool indexed = pixels == Pixels::palette_indices;
    if (indexed && (palette_entries < 1 || palette_entries > kColourEntries)) return std::nullopt;
    if (format == ImageFormat::png) {
        if (auto l = png::plan(width, height, indexed ? palette_entries : 0)) return ImageLayout(*l);
        return std::nullopt;
    }
    if (format == ImageFormat::tiff) {
        if (auto l = tiff::plan(width, height, indexed ? palette_entries : 0)) return ImageLayout(*l);
        return std::nullopt;
    }
    if (auto l = bmp::plan(width, height, indexed ? 8 : 24, indexed ? palette_entries : 0)) return ImageLayout(*l);
    return std::nullopt;
}

std::optional<ImageLayout> ImageLayout::plan_value_png(std::int64_t width, std::int64_t height,
                                                       const std::optional<Rgb8>& key) {
    auto l = key ? png::plan_keyed(width, height, *key) : png::plan(width, height, 0);
    if (!l) return std::nullopt;
    l->compression = png::Compression::matches;
    return ImageLayout(*l);
}

ImageFormat ImageLayout::format() const {
    if (std::holds_alternative<png::Layout>(layout_)) return ImageFormat::png;
    if (std::holds_alternative<tiff::Layout>(layout_)) return ImageFormat::tiff;
    return ImageFormat::bmp;
}

std::size_t ImageLayout::line_bytes() const {
    return std::visit([](const auto& l) -> std::size_t { return l.line_bytes; }, layout_);
}

std::int32_t write_image(const std::string& working_path, const std::string& image_path, std::int32_t columns,
                         std::int64_t rows, const ImageScale& scale, const ImageLayout& layout,
                         const std::optional<ConstColourTableView>& palette, const PainterMaker& make_painter) {
    const std::uint64_t block = least_block_memory(layout, columns, scale), memory = platform::usable_memory();
    if (block > memory) return beyond_memory(block, memory);
    const int threads = threads_for_blocks(threads::thread_count(), block, memory);
    auto grid = working_grid::Reader::open(working_path, columns);
    // Before any buffer that grows with the descriptor's size: a short file
    // must not cost buffers for the rows it does not have.
    if (!grid || !grid->holds_rows(rows)) return GRIDLIB_IMAGE_GRID_UNREADABLE;

    // A BMP's size is known ahead, a PNG's or TIFF's only once it is compressed.
    if (const auto* bmp_layout = std::get_if<bmp::Layout>(&layout.layout());
        bmp_layout && platform::room_shortage(platform::final_link_target(image_path), bmp_layout->file_size,
                                              platform::Writing::beside))
        return GRIDLIB_NO_ROOM;
    PendingFile out(image_path);
    if (!out.is_open()) return GRIDLIB_IMAGE_WRITE_FAILED;
    std::int32_t status = GRIDLIB_OK;
    try {
        if (const auto* bmp_layout = std::get_if<bmp::Layout>(&layout.layout())) {
            BmpLines lines(out.file());
            if (!lines.start(*bmp_layout, palette)) return GRIDLIB_IMAGE_WRITE_FAILED;
            status = write_lines(*grid, rows, columns, scale, LineOrder::bottom_up, layout.line_bytes(), threads,
                                 lines, make_painter);
        } else if (const auto* tiff_layout = std::get_if<tiff::Layout>(&layout.layout())) {
            const auto geo = take_geo_tags(image_path, columns, static_cast<std::int32_t>(rows), scale);
            auto writer = tiff::Writer::start(out.file(), *tiff_layout, palette, geo);
            if (!writer) return GRIDLIB_IMAGE_WRITE_FAILED;
            TiffLines lines(std::move(writer), *tiff_layout);
            status = write_lines(*grid, rows, columns, scale, LineOrder::top_down, layout.line_bytes(), threads,
                                 lines, make_painter);
            if (status == GRIDLIB_OK && !lines.finish()) status = GRIDLIB_IMAGE_WRITE_FAILED;
        } else {
            auto writer = png::Writer::start(out.file(), std::get<png::Layout>(layout.layout()), palette);
            if (!writer) return GRIDLIB_IMAGE_WRITE_FAILED;
            PngLines lines(std::move(writer), std::get<png::Layout>(layout.layout()));
            status = write_lines(*grid, rows, columns, scale, LineOrder::top_down, layout.line_bytes(), threads,
                                 lines, make_painter);
            if (status == GRIDLIB_OK && !lines.finish()) status = GRIDLIB_IMAGE_WRITE_FAILED;
        }
    } catch (const std::bad_alloc&) {
        return GRIDLIB_IMAGE_WRITE_FAILED;  // buffers too large for this machine
    }
    if (status != GRIDLIB_OK) return status;
    return out.commit() ? GRIDLIB_OK : GRIDLIB_IMAGE_WRITE_FAILED;
}

}  // namespace gridlib::image
