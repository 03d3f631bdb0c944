// The working grid file of one run (or another temporary file of it, such as
// the gradient file of a shaded relief): created empty under a name no other
// run uses, beside the output image, and removed on every ending of the run,
// including SIGINT and SIGTERM (the library keeps it in its table of files
// to remove on a signal, with its own temporary images).
#pragma once

#include "gridlib.h"

#include <cstdint>
#include <string>

namespace gridlib::convert {

class WorkingFile {
public:
    // Creates the file in directory (empty: the current directory), its
    // name ending in suffix. A file that could not be created leaves
    // created() false.
    explicit WorkingFile(const std::string& directory, const std::string& suffix = ".tmp");
    WorkingFile(const WorkingFile&) = delete;
    WorkingFile& operator=(const WorkingFile&) = delete;
    ~WorkingFile();

    bool created() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // Why the file could not be created: a status of gridlib_create_temporary_file.
    std::int32_t status() const { return status_; }

private:
    std::string path_;
    std::int32_t status_ = GRIDLIB_OK;
};

}  // namespace gridlib::convert
