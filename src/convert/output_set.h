// The outputs of one conversion, the image and everything beside it, renamed
// into place together once every one is complete, or not at all: until then
// each stays under a temporary name beside its target, and any ending of the
// run removes them. The group belongs to the calling thread. When the caller
// of the library has a group open already, the conversion's outputs join
// that one, which its caller commits.
#pragma once

#include "gridlib.h"

#include <cstdint>

namespace gridlib::convert {

class OutputSet {
public:
    OutputSet() {
        std::int32_t status = GRIDLIB_REFUSED;
        gridlib_begin_outputs(&status);
        open_ = status == GRIDLIB_OK;
    }
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;
    ~OutputSet() {
        if (open_) gridlib_discard_outputs();
    }
    // False when a rename failed: every target is then as it was. True
    // without a rename when the group is the caller's.
    bool commit() {
        if (!open_) return true;
        std::int32_t status = GRIDLIB_REFUSED;
        gridlib_commit_outputs(&status);
        open_ = false;  // the group is closed either way
        return status == GRIDLIB_OK;
    }

private:
    bool open_ = false;
};

}  // namespace gridlib::convert
