// Biquadratic interpolation kernel.
#include "grid/biquadratic.h"

#include "descriptor/grid_descriptor.h"

namespace gridlib {

QuadraticWeights quadratic_weights(double t) {
    return {t * (t - 1) / 2, 1 - t * t, t * (t + 1) / 2};
}

float biquadratic(const NodeValues& v, const QuadraticWeights& wx, const QuadraticWeights& wy) {
    double total = 0;
    for (std::size_t row = 0; row < 3; ++row) {
        double along = 0;
        for (std::size_t column = 0; column < 3; ++column) along += double(v[3 * row + column]) * wx[column];
        total += along * wy[row];
    }
    return DescriptorView::to_float(total);
}

}  // namespace gridlib
