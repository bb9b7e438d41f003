#include "optimise/parameter_box.h"

#include <cmath>
#include <limits>

namespace imm {

namespace {

// The largest value of the first `rows` entries, not-a-number entries passed over.
double largest(const std::array<double, kMaxRows>& values, std::int64_t rows)
{
    double result = std::numeric_limits<double>::quiet_NaN();
    for (std::int64_t i = 0; i < rows; ++i) {
        const double v = values[static_cast<std::size_t>(i)];
        if (!std::isnan(v) && (std::isnan(result) || v > result)) {
            result = v;
        }
    }
    return result;
}

// The smallest value of the first `rows` entries, not-a-number entries passed over.
double smallest(const std::array<double, kMaxRows>& values, std::int64_t rows)
{
    double result = std::numeric_limits<double>::quiet_NaN();
    for (std::int64_t i = 0; i < rows; ++i) {
        const double v = values[static_cast<std::size_t>(i)];
        if (!std::isnan(v) && (std::isnan(result) || v < result)) {
            result = v;
        }
    }
    return result;
}

}  // namespace

BackgroundRange background_range(std::int64_t rows, const DataBlock& data)
{
    const double ymax = largest(data.yobs, rows);
    const double ymin = smallest(data.yobs, rows);
    BackgroundRange range{-ymax / 2.0, ymax / 2.0};
    const double half_spread = (ymax - ymin) / 2.0;
    if (ymin > range.upper) range.upper = ymin + half_spread;
    if (ymin < range.lower) range.lower = ymin - half_spread;
    return range;
}

ParameterBox model_parameter_box(std::int64_t model, std::span<const double> reference, double factor,
                                 std::int64_t rows, const DataBlock& data)
{
    ParameterBox box;
    box.lower.fill(-1e6);
    box.upper.fill(1e6);
    if (model < 1 || model > kModelCount) {
        return box;
    }
    box.lower[0] = 0.0;
    box.lower[1] = 0.0;
    box.upper[0] = factor * reference[0];
    box.upper[1] = factor * reference[1];
    if (model == 2 || model == 5) {
        const BackgroundRange range = background_range(rows, data);
        box.lower[2] = range.lower;
        box.upper[2] = range.upper;
    } else if (model == 3 || model == 6) {
        const double tmax = largest(data.t, rows);
        box.lower[2] = -tmax / 2.0;
        box.upper[2] = tmax / 2.0;
    }
    return box;
}

}  // namespace imm
