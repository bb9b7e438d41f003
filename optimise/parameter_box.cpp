#include "optimise/parameter_box.h"

#include <cmath>
#include <limits>

namespace imm {

namespace {

// The smallest and the largest of the first `rows` entries, not-a-number
// entries passed over; NaN for both when every entry is one.
struct Extremes {
    double smallest = std::numeric_limits<double>::quiet_NaN();
    double largest = std::numeric_limits<double>::quiet_NaN();

    Extremes(const std::array<double, kMaxRows>& values, std::int64_t rows)
    {
        for (std::int64_t i = 0; i < rows; ++i) {
            const double v = values[static_cast<std::size_t>(i)];
            if (std::isnan(v)) continue;
            if (std::isnan(smallest) || v < smallest) smallest = v;
            if (std::isnan(largest) || v > largest) largest = v;
        }
    }
};

}  // namespace

ParameterRange background_range(std::int64_t rows, const DataBlock& data)
{
    const Extremes y(data.yobs, rows);
    ParameterRange range{-y.largest / 2.0, y.largest / 2.0};
    const double half_spread = (y.largest - y.smallest) / 2.0;
    if (y.smallest > range.upper) range.upper = y.smallest + half_spread;
    if (y.smallest < range.lower) range.lower = y.smallest - half_spread;
    return range;
}

ParameterRange time_offset_range(std::int64_t rows, const DataBlock& data)
{
    const double tmax = Extremes(data.t, rows).largest;
    return {-tmax / 2.0, tmax / 2.0};
}

ParameterBox model_parameter_box(std::int64_t model, std::span<const double> reference, double factor,
                                 std::int64_t rows, const DataBlock& data)
{
    ParameterBox box;
    box.lower.fill(-kWideBound);
    box.upper.fill(kWideBound);
    if (model < 1 || model > kModelCount) {
        return box;
    }
    box.lower[0] = 0.0;
    box.lower[1] = 0.0;
    box.upper[0] = factor * reference[0];
    box.upper[1] = factor * reference[1];
    if (model == 2 || model == 5 || model == 3 || model == 6) {
        const ParameterRange range = model == 2 || model == 5 ? background_range(rows, data)
                                                              : time_offset_range(rows, data);
        box.lower[2] = range.lower;
        box.upper[2] = range.upper;
    }
    return box;
}

}  // namespace imm
