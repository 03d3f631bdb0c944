// Slopes of a grid in degrees: its cell spacing on the ground, so that a
// rise in metres over a run in degrees does not make every hill a cliff.
#pragma once

#include "descriptor/grid_descriptor.h"

#include <optional>

namespace gridlib {

// A degree of latitude, as a nautical mile a minute: the figure shaded
// relief software commonly takes for grids in degrees.
inline constexpr double kMetresPerDegree = 111120.0;

struct GroundSpacing {
    double column = 0;    // metres between the centres of neighbouring columns
    double row = 0;       // metres between those of neighbouring rows
    double latitude = 0;  // the grid's middle latitude, whose cosine scales x
};

// The cell spacing of the grid d describes, taken as degrees of longitude
// and latitude, in metres: a degree is kMetresPerDegree along y, and that
// times the cosine of the middle latitude along x, one figure for the whole
// grid. Nothing when the spacings are not positive or the grid's southern
// and northern rows are not latitudes (within -90..90).
std::optional<GroundSpacing> ground_spacing(const DescriptorView& d);

}  // namespace gridlib
