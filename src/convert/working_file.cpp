// The working grid file's lifetime.
#include "convert/working_file.h"

#include "gridlib.h"

#include <cstdint>
#include <vector>

namespace gridlib::convert {
namespace {

std::int32_t length_of(const std::string& text) { return static_cast<std::int32_t>(text.size()); }

}  // namespace

WorkingFile::WorkingFile(const std::string& directory, const std::string& suffix) {
    // Created exclusively: an existing file or link of the same name is never
    // opened, so two runs in one directory cannot write into each other's grid.
    const std::string prefix = "~rastrify.";
    const std::int32_t directory_length = length_of(directory), prefix_length = length_of(prefix),
                       suffix_length = length_of(suffix);
    std::vector<char> name(directory.size() + suffix.size() + 64, '\0');
    const auto name_length = static_cast<std::int32_t>(name.size());
    status_ = GRIDLIB_REFUSED;
    gridlib_create_temporary_file(directory.data(), &directory_length, prefix.data(), &prefix_length,
                                  suffix.data(), &suffix_length, name.data(), &name_length, &status_);
    if (status_ == GRIDLIB_OK) path_ = name.data();
}

WorkingFile::~WorkingFile() {
    if (!created()) return;
    const std::int32_t length = length_of(path_);
    gridlib_remove_temporary_file(path_.data(), &length);
}

}  // namespace gridlib::convert
