// The working grid file's lifetime.
#include "working_file.h"

#include "platform/cleanup.h"
#include "platform/file.h"

namespace rastrify {

WorkingFile::WorkingFile(const std::string& directory) {
    // Created exclusively: an existing file or link of the same name is never
    // opened, so two runs in one directory cannot write into each other's grid.
    if (auto name = gridlib::platform::create_registered_unique_file(directory, "~rastrify.", ".tmp", guard_))
        path_ = std::move(*name);
}

WorkingFile::~WorkingFile() {
    // Removed before the guard goes, so that a signal in between still finds it registered.
    if (created()) gridlib::platform::remove_file(path_);
    guard_.reset();
}

}  // namespace rastrify
