// The file-system questions the converter asks before it hands the names to
// the library: whether the grid and a histogram file named on the command
// line exist, so that it stops before asking for anything more.
#pragma once

#include <string>

namespace rastrify {

// True when path names an existing file that is not a directory.
bool file_exists(const std::string& path);
// The grid a name gives exists: the file it names, or for "dem.tif?2" (one
// grid of a file that holds several) the file before the last question mark.
bool grid_file_exists(const std::string& name);

}  // namespace rastrify
