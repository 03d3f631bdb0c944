// The pyramid's one pass over the grid. The finest band is read from the
// working grid; every band completed by it is painted on the thread pool,
// a tile a task, before the next band is read, so that memory holds one
// band per level and a tile's buffers per thread.
#include "tiles/pyramid_writer.h"

#include "grid/working_grid.h"
#include "image/output_group.h"
#include "image/level_mapping.h"
#include "progress/progress.h"
#include "threads/pool.h"
#include "threads/thread_count.h"
#include "tiles/png_tile.h"
#include "tiles/pyramid_folder.h"
#include "tiles/tile_band.h"
#include "tiles/tile_colours.h"
#include "tiles/value_tile.h"
#include "tiles/viewer_files.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace gridlib::tiles {
namespace {

// One tile of a completed band.
struct TileJob {
    const Band* band;
    std::int64_t x;
};

// What a thread keeps from tile to tile.
struct TileBuffers {
    explicit TileBuffers(const TileColours& colours) : png(colours.palette(), kTileSide, kTileSide) {}
    std::vector<std::uint8_t> indices = std::vector<std::uint8_t>(kTileSide * kTileSide);
    std::vector<std::byte> values = std::vector<std::byte>(kTileSide * kTileSide * 4);
    PngTileEncoder png;
};

std::string tile_name(int z, std::int64_t x, std::int64_t y, const char* suffix) {
    return std::to_string(z) + "/" + std::to_string(x) + "/" + std::to_string(y) + suffix;
}

class TilePainter {
public:
    TilePainter(const PyramidFolder& folder, const TileColours& colours, int finest)
        : folder_(folder), colours_(colours), finest_(finest) {}

    bool paint(const TileJob& job, TileBuffers& b) const {
        const Band& band = *job.band;
        const std::int64_t first_column = job.x * kTileSide;
        const std::int64_t columns = std::min(kTileSide, band.size.columns - first_column);
        std::fill(b.indices.begin(), b.indices.end(), std::uint8_t{0});  // transparent beyond the edges
        for (std::int64_t r = 0; r < band.rows; ++r)
            colours_.paint(
                band.row(r).subspan(static_cast<std::size_t>(first_column), static_cast<std::size_t>(columns)),
                b.indices.data() + r * kTileSide);
        if (!b.png.encode(b.indices)) return false;
        if (!folder_.write_file("tiles/" + tile_name(band.z, job.x, band.tile_row, ".png"), b.png.bytes()))
            return false;
        if (band.z != finest_) return true;
        fill_value_tile(band.row(0).data() + first_column, band.rows, columns, band.size.columns, b.values);
        return folder_.write_file("values/" + std::to_string(job.x) + "/" + std::to_string(band.tile_row) + ".f32",
                                  b.values);
    }

    // Every tile of the bands, on the pool's threads; the first failure's status.
    std::int32_t paint_all(const std::vector<Band*>& bands) const {
        std::vector<TileJob> jobs;
        for (const Band* band : bands)
            for (std::int64_t x = 0; x < band->size.tile_columns(); ++x) jobs.push_back({band, x});
        std::atomic<std::size_t> next = 0;
        std::atomic<std::int32_t> status = GRIDLIB_OK;
        threads::run_together(threads::thread_count(), [&](int) {
            try {
                TileBuffers buffers(colours_);
                for (std::size_t j; status.load() == GRIDLIB_OK && (j = next++) < jobs.size();)
                    if (!paint(jobs[j], buffers)) status = GRIDLIB_IMAGE_WRITE_FAILED;
            } catch (...) {
                status = GRIDLIB_IMAGE_WRITE_FAILED;
            }
        });
        return status.load();
    }

private:
    const PyramidFolder& folder_;
    const TileColours& colours_;
    const int finest_;
};

// The tiles/{z}/{x} and values/{x} folders, before any tile is written.
bool make_folders(const PyramidFolder& folder, const PyramidPlan& plan) {
    if (!folder.make_folder("tiles") || !folder.make_folder("values")) return false;
    for (int z = 0; z < plan.levels(); ++z) {
        const std::string level = "tiles/" + std::to_string(z);
        if (!folder.make_folder(level)) return false;
        for (std::int64_t x = 0; x < plan.level(z).tile_columns(); ++x)
            if (!folder.make_folder(level + "/" + std::to_string(x))) return false;
    }
    for (std::int64_t x = 0; x < plan.level(plan.finest()).tile_columns(); ++x)
        if (!folder.make_folder("values/" + std::to_string(x))) return false;
    return true;
}

// Reads the finest band's rows, counted from the north, from the working grid.
bool read_band(const working_grid::Reader& grid, std::int64_t grid_rows, Band& band, std::int64_t count) {
    const std::int64_t first = band.tile_row * kTileSide;
    const auto values = std::span<float>(band.values.get(), static_cast<std::size_t>(count * band.size.columns));
    if (grid.north_first()) return grid.read_rows_concurrently(first + 1, values);
    // Stored from the south: the band's rows come in reverse.
    if (!grid.read_rows_concurrently(grid_rows - first - count + 1, values)) return false;
    for (std::int64_t r = 0; r < count / 2; ++r) std::ranges::swap_ranges(band.row(r), band.row(count - 1 - r));
    return true;
}

}  // namespace

std::int32_t write_pyramid(DescriptorView d, const PyramidRequest& request) {
    const std::int64_t columns = d.columns(), rows = d.rows();
    const Mapping mapping = Mapping::from_mode(request.mapping_mode);
    // The limits are also those of the colour bar, which lays them out on its axis.
    const bool bar_can_show_limits = std::isfinite(d.colour_min()) && std::isfinite(d.colour_max()) &&
                                     (request.axis != GRIDLIB_BAR_LOG || d.colour_min() > 0);
    if (is_byte_image(d.format()) || columns <= 0 || rows <= 0 || !(d.colour_min() < d.colour_max()) ||
        !bar_can_show_limits ||
        !request.colour_table || request.colour_count < 1 ||
        request.colour_count > static_cast<std::int32_t>(kColourEntries) ||
        (mapping.through_levels && request.level_table.size() < kLevels))
        return GRIDLIB_REFUSED;
    // A run killed while it replaced this target may have left it absent.
    recover_interrupted_replacement(request.target);
    if (target_state(request.target) != TargetState::usable) return GRIDLIB_REFUSED;

    auto grid = working_grid::Reader::open(request.working_path, d.columns());
    if (!grid || !grid->holds_rows(rows)) return GRIDLIB_IMAGE_GRID_UNREADABLE;
    auto folder = PyramidFolder::create(request.target);
    if (!folder) return GRIDLIB_IMAGE_WRITE_FAILED;
    const PyramidPlan plan(columns, rows);
    if (!make_folders(*folder, plan)) return GRIDLIB_IMAGE_WRITE_FAILED;

    const TileColours colours(d.colour_min(), d.colour_max(), request.mapping_mode, request.level_table,
                              request.colour_count, *request.colour_table);
    const TilePainter painter(*folder, colours, plan.finest());
    BandChain chain(plan);
    progress::Reporter progress(progress::Phase::drawing, rows);
    bool has_null = false;
    for (std::int64_t first = 0; first < rows; first += kTileSide) {
        Band& finest = chain.finest();
        const std::int64_t count = std::min(kTileSide, rows - first);
        if (!read_band(*grid, rows, finest, count)) return GRIDLIB_IMAGE_GRID_UNREADABLE;
        finest.rows = count;
        if (!has_null)
            has_null = std::ranges::any_of(finest.filled(), [](float v) { return !is_valid(v); });
        const auto done = chain.cascade();
        if (const std::int32_t status = painter.paint_all(done); status != GRIDLIB_OK) return status;
        BandChain::advance(done);
        progress.advance(first + count);
    }
    const ViewerFacts facts{columns, rows, plan.levels(), d.data_min(), d.data_max(), request.geotransform};
    if (!write_viewer(*folder, facts, request, d, has_null) || !folder->mark(PyramidContents::of(plan)))
        return GRIDLIB_IMAGE_WRITE_FAILED;
    // Within an output group, placed with the group's other outputs, after them.
    if (OutputGroup* group = OutputGroup::current()) {
        group->add(std::move(folder));
        return GRIDLIB_OK;
    }
    return folder->commit() ? GRIDLIB_OK : GRIDLIB_IMAGE_WRITE_FAILED;
}

}  // namespace gridlib::tiles
