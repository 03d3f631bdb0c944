// The file-system questions a conversion asks itself before it hands names
// to the readers and writers.
#pragma once

#include <filesystem>
#include <string>

namespace gridlib::convert {

// The grid a name gives exists: the file it names (not a directory), or for
// "dem.tif?2" (one grid of a file that holds several) the file before the
// last question mark.
bool grid_file_exists(const std::string& name);
// True when path names an existing regular file: the only kind that can be
// read to its end without waiting (a FIFO would block, a device never end).
bool is_regular_file(const std::string& path);
// The path a file written under name lands at: every symbolic link on the
// way followed to the end of its chain, whether or not the file, the link's
// target or its folders exist yet (a dangling link still leads somewhere a
// writer will go); absolute, without "." or "..". Empty when the current
// folder cannot be known.
std::filesystem::path written_path(const std::string& name);
// True when files written or read under both names are one file: one
// existing file (device and inode: a hard link too), or one written path.
// Every comparison of an output with another output or an input goes
// through it.
bool same_destination(const std::string& a, const std::string& b);
// True when a file written under name would land within the folder, or be
// it, however either is spelt or linked.
bool lies_within(const std::string& name, const std::string& folder);
// True when path exists (links followed) and is not a regular file: a
// directory, device, FIFO or socket.
bool exists_as_non_regular(const std::string& path);
// The kind of image the library's writers make of the name path, for
// messages: "PNG" when it ends in ".png", "TIFF" when in ".tif" or ".tiff"
// (in any case), otherwise "BMP".
std::string image_kind_of(const std::string& path);
// The directory part of a path including its final '/', or "" for a bare name.
std::string directory_of(const std::string& path);

}  // namespace gridlib::convert
