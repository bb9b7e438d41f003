// Rounding of plot axis ranges: the XY plot's y range and the residual plot's top.
#pragma once

#include <cstdint>
#include <span>

namespace imm {

struct AxisScale {
    double low = 0.0;
    double high = 0.0;
    double step = 0.0;
};

// A range of about `intervals` steps of 1, 2 or 5 times a power of ten that
// covers [low, high]. Reversed bounds are swapped, equal ones widened, and an
// interval count of 0 or less means 5.
AxisScale scaleaxis1(double low, double high, std::int32_t intervals);

// Rounded low and high of the values for the residual plot, whose y axis runs
// up to high. With a largest value above 0 and above the smallest
// the top is rounded up from the largest value; otherwise (all zero, all equal,
// all negative, none finite) the range is symmetric about zero and holds every
// finite value, with a high of 1 when the largest magnitude is 0.
AxisScale scale_axis(std::span<const double> values);

}  // namespace imm
