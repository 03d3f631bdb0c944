// One grid of a file that holds several: "survey.nc?gravity" names the
// variable gravity of survey.nc, "dem.tif?2" the second band of dem.tif.
// A name that is itself a file is never split, so a file whose name holds
// a question mark reads as it always did.
#pragma once

#include <string>

namespace gridlib::formats {

struct GridSelection {
    std::string file;       // the file to open
    std::string selection;  // what to take from it; empty for its first grid
};

// The name as it stands when it names a file or holds no question mark;
// otherwise split at the last question mark, when what comes before it
// names a file.
GridSelection split_selection(const std::string& grid_name);

}  // namespace gridlib::formats
