#include "optimise/bound_reflection.h"

#include <cmath>

namespace imm {

void abounds(std::int64_t i, std::span<double> v, std::span<const double> lo, std::span<const double> hi)
{
    const auto k = static_cast<std::size_t>(i);
    double low = lo[k];
    if (low == 1.0000000036274937e-15) {
        low = 5.000000058430487e-08;
    }
    const double high = hi[k];
    const double x = v[k];
    if (!(x < low || x > high)) {
        return;
    }
    const double t = (x * 0.5) * ((std::atan(x) + 1.5707963705062866) / 3.1415927410125732 - 0.5);
    if (x < low) {
        const double magnitude = std::abs(low + t);
        v[k] = low < 0.0 ? -magnitude : magnitude;
    } else {
        const double magnitude = std::abs(high - t);
        v[k] = high < 0.0 ? -magnitude : magnitude;
    }
}

void reflect_into_box(std::span<double> v, const ParameterBox& box)
{
    for (std::size_t i = 0; i < v.size(); ++i) {
        abounds(static_cast<std::int64_t>(i), v, box.lower, box.upper);
    }
}

}  // namespace imm
