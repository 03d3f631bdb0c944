// The image file around the shared line loop.
#include "image/image_file.h"

#include "gridlib.h"
#include "grid/working_grid.h"
#include "image/pending_file.h"

#include <memory>
#include <new>
#include <vector>

namespace gridlib::image {

std::int32_t write_image(const std::string& working_path, const std::string& image_path, std::int32_t columns,
                         std::int64_t rows, const ImageScale& scale, const bmp::Layout& layout,
                         const std::optional<ConstColourTableView>& palette, const LinePainter& paint) {
    auto grid = working_grid::Reader::open(working_path, columns);
    if (!grid) return GRIDLIB_IMAGE_GRID_UNREADABLE;

    std::unique_ptr<float[]> row;
    std::vector<std::byte> line;
    try {
        // The row is not initialised: a short file must not cost the touch of a huge buffer.
        row = std::make_unique_for_overwrite<float[]>(static_cast<std::size_t>(columns));
        line.assign(layout.line_bytes, std::byte{0});
    } catch (const std::bad_alloc&) {
        return GRIDLIB_IMAGE_WRITE_FAILED;
    }

    PendingFile out(image_path);
    if (!out.is_open()) return GRIDLIB_IMAGE_WRITE_FAILED;
    bmp::FileSink sink(out.file());
    if (!bmp::write_header(sink, layout) || (palette && !bmp::write_palette(sink, *palette, layout.palette_entries)))
        return GRIDLIB_IMAGE_WRITE_FAILED;

    const std::int32_t status =
        write_lines(*grid, rows, scale, {row.get(), static_cast<std::size_t>(columns)}, line, sink, paint);
    if (status != GRIDLIB_OK) return status;
    return out.commit() ? GRIDLIB_OK : GRIDLIB_IMAGE_WRITE_FAILED;
}

}  // namespace gridlib::image
