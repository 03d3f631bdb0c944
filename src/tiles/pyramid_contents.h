// What a pyramid wrote, as its mark file lists it, so that a later run
// replaces the folder only while it holds nothing else: the viewer's files
// by name, and the tiles of each level and the value tiles by their counts,
// which keeps the list a few lines long however many tiles there are.
#pragma once

#include "tiles/pyramid_plan.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gridlib::tiles {

// The small file that tells a folder of ours from the user's.
inline constexpr const char* kMarkName = ".rastrify-pyramid";

struct TileCounts {
    std::int64_t columns = 0;
    std::int64_t rows = 0;
};

class PyramidContents {
public:
    // What write_pyramid writes for the plan, the mark file included.
    static PyramidContents of(const PyramidPlan& plan);
    // The contents a mark file lists. A mark without a list that reads
    // (an older version's, which had none) stands for any name of the
    // pyramid's layout: the viewer's files, tiles/Z/X/Y.png and
    // values/X/Y.f32 of any numbers, nothing else.
    static PyramidContents from_mark(std::string_view text);
    std::string mark_text() const;

    // Whether a file or a folder at path, relative to the pyramid's folder
    // and its parts joined by '/', is one the pyramid wrote.
    bool holds_file(std::string_view path) const;
    bool holds_folder(std::string_view path) const;

private:
    bool any_layout_ = false;
    std::vector<std::string> files_;  // in the folder itself
    std::vector<TileCounts> levels_;  // tiles of level z = index
    TileCounts values_;
};

}  // namespace gridlib::tiles
