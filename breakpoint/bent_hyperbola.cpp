#include "breakpoint/bent_hyperbola.h"

#include <cmath>
#include <limits>

#include "optimise/bound_reflection.h"
#include "support/avx2_clones.h"

namespace imm {

// The sum is the analysis's hot loop, bound by its square roots: on x86-64 it
// is also compiled for AVX2 and the processor picks the copy when the program
// loads. Both copies add the terms in the same order, so the sums agree bit
// for bit.
SORVEK_AVX2_CLONES
double funbreak(std::span<const double> p, const BreakCurve& curve)
{
    const double level = p[0];
    const double slope = p[1];
    const double bend = p[2] * curve.sign;
    const double crossing = p[kBreakCrossing];
    const bool corner = p.size() == 4;
    const double width = corner ? 0.0 : p[kBreakBend];
    double sum = 0.0;
    for (std::size_t i = 0; i < curve.x.size(); ++i) {
        const double dx = curve.x[i] - crossing;
        const double yhat = level + slope * dx - bend * std::sqrt(width + dx * dx);
        const double r = curve.y[i] - yhat;
        sum += r * r;
    }
    return sum;
}

void brkptbounds(std::int64_t i, std::span<double> v, std::span<const double> lo, std::span<const double> hi)
{
    abounds(i, v, lo, hi);
}

void reflect_break_parameters(std::span<double> v, const ParameterBox& box)
{
    for (std::size_t i = 0; i < v.size(); ++i) {
        brkptbounds(static_cast<std::int64_t>(i), v, box.lower, box.upper);
    }
}

double largest_value(std::span<const double> values)
{
    double m = -std::numeric_limits<double>::max();
    for (const double v : values) {
        if (v > m) {
            m = v;
        }
    }
    return m;
}

double smallest_value(std::span<const double> values)
{
    double m = std::numeric_limits<double>::max();
    for (const double v : values) {
        if (v < m) {
            m = v;
        }
    }
    return m;
}

ParameterBox break_box(std::int64_t np, const BreakCurve& curve, const BreakBoxFactors& factors)
{
    ParameterBox box;
    for (std::int64_t i = 0; i < np; ++i) {
        box.lower[static_cast<std::size_t>(i)] = -factors.wide;
        box.upper[static_cast<std::size_t>(i)] = factors.wide;
    }
    const double ymax = largest_value(curve.y);
    const double xmax = largest_value(curve.x);
    box.lower[0] = factors.level_low * ymax;
    box.upper[0] = factors.level_high * ymax;
    if (factors.slope_limit > 0.0) {
        for (std::size_t i : {1u, 2u}) {
            box.lower[i] = -factors.slope_limit;
            box.upper[i] = factors.slope_limit;
        }
    }
    const auto crossing = static_cast<std::size_t>(np == 4 ? 3 : np - 2);
    box.lower[crossing] = factors.time_low * xmax;
    box.upper[crossing] = factors.time_high * xmax;
    if (np != 4) {
        box.lower[static_cast<std::size_t>(np - 1)] = factors.bend_low;
        box.upper[static_cast<std::size_t>(np - 1)] = factors.bend_high;
    }
    return box;
}

}  // namespace imm
