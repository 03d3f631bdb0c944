#include "formats/grid_selection.h"

#include "platform/file.h"

namespace gridlib::formats {

GridSelection split_selection(const std::string& grid_name) {
    const std::size_t mark = grid_name.rfind('?');
    if (mark == std::string::npos || platform::file_exists(grid_name)) return {grid_name, {}};
    std::string file = grid_name.substr(0, mark);
    if (!platform::file_exists(file)) return {grid_name, {}};
    return {std::move(file), grid_name.substr(mark + 1)};
}

}  // namespace gridlib::formats
