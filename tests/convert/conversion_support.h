// Helpers of the tests that call gridlib_convert: grids to convert, the call
// with its notes and progress gathered, and the files a folder holds.
#pragma once

#include "gridlib.h"

#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace gridlib::testing {

// An ESRI ASCII grid of columns x rows whose values rise and fall with a
// seed, so that each seed gives another image.
std::string wavy_grid(int columns, int rows, int seed);

// What one call reported and returned.
struct CallResult {
    std::int32_t status = 1;
    std::string failure;             // the failure line
    std::vector<std::string> notes;  // one line each
    int progress_reports = 0;
    bool progress_on_caller = true;  // every report came on the calling thread
    bool progress_complete = false;  // a report said all rows were done
};

// Converts input to output with options (their note, progress and user are
// set here), the failure line cut to failure_size - 1 bytes.
CallResult convert(const std::string& input, const std::string& output, gridlib_convert_options options,
                   std::int32_t failure_size = 4096);

// Every regular file of a folder by name, with its bytes.
std::map<std::string, std::string> files_of(const std::string& folder);

}  // namespace gridlib::testing
