// The lines a conversion reports without failing, and the failure that ends
// it: each a whole console line as rastrify prints it (the blank column of
// the line printer it imitates included, no line end).
#pragma once

#include "gridlib.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace gridlib::convert {

// The caller's note function and its pointer; no function: the lines are dropped.
class Notes {
public:
    Notes(gridlib_convert_note_function* note, void* user) : note_(note), user_(user) {}
    // A console line of text: the blank column, then the text.
    void line(std::string_view text) const;

private:
    gridlib_convert_note_function* note_;
    void* user_;
};

// Why the conversion ended: the status of the step that failed and the line.
struct Failure {
    std::int32_t status = GRIDLIB_REFUSED;
    std::string line;
};

// The failure printed as a console line of text.
Failure failure(std::int32_t status, std::string_view text);

// The failure of a run its caller stopped.
Failure stopped();

}  // namespace gridlib::convert
