// One conversion from start to end, as rastrify makes it once its options
// are settled: the checks of the limits and the palette before any file is
// read, the header, the refusals of the outputs, the working grid beside the
// output, the levels, the image (flat or shaded), its world file and colour
// bar, all renamed into place together.
#pragma once

#include "convert/notes.h"
#include "convert/settings.h"

#include <optional>

namespace gridlib::convert {

// Runs the conversion; the failure that ended it, if any, when nothing was
// written or replaced. Notes come in the order rastrify prints them.
std::optional<Failure> convert(const Settings& settings, const Notes& notes);

}  // namespace gridlib::convert
