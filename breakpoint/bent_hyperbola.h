// The bent hyperbola of the breakpoint analysis: two straight asymptotes
// joined by a hyperbolic bend, its sum of squares on one curve, and the
// boxes and bound reflection its minimisers share.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "optimise/objective.h"
#include "optimise/parameter_box.h"

namespace imm {

// P1 level at the crossing, P2 mean slope, P3 half the slope difference,
// P4 time of the crossing, P5 bend term (square of the bend's half-width).
inline constexpr std::int64_t kBreakParams = 5;
// Where P4, the time of the crossing, and P5, the bend term, stand in a break vector.
inline constexpr std::int64_t kBreakCrossing = 3;
inline constexpr std::int64_t kBreakBend = 4;
using BreakVector = std::array<double, kBreakParams>;
// Per parameter: nonzero lets it move.
using BreakFlags = std::array<std::int32_t, kBreakParams>;
inline constexpr BreakFlags kAllBreakFlags{1, 1, 1, 1, 1};

// One curve: its times, its fitted values and the curve sign (+1 product, -1 substrate).
struct BreakCurve {
    std::span<const double> x;
    std::span<const double> y;
    double sign = 1.0;
};

// Sum over the curve of (y - yhat(x))^2, yhat(x) = P1 + P2 (x - P4) - P3 sign sqrt(P5 + (x - P4)^2).
// With four parameters the bend is the corner P3 sign |x - P4|.
double funbreak(std::span<const double> p, const BreakCurve& curve);

// The break model's reflection back into [lo, hi]: the same as abounds.
void brkptbounds(std::int64_t i, std::span<double> v, std::span<const double> lo, std::span<const double> hi);

// brkptbounds on every parameter of v, in order.
void reflect_break_parameters(std::span<double> v, const ParameterBox& box);

// funbreak as an objective.
class BreakObjective : public Objective {
public:
    explicit BreakObjective(const BreakCurve& curve) : curve_(curve) {}
    double value(std::span<const double> x) override { return funbreak(x, curve_); }
    const BreakCurve& curve() const { return curve_; }

private:
    BreakCurve curve_;
};

// How a minimiser's box follows the curve. Every parameter starts at
// +-wide; the level runs over factors of the largest y, the crossing time
// over factors of the largest x, the bend term over [bend_low, bend_high]
// (five parameters only); the slopes get +-slope_limit when it is positive.
struct BreakBoxFactors {
    double wide = 1e6;
    double level_low = 0.05;
    double level_high = 1.2;
    double slope_limit = 10.0;
    double time_low = 0.05000000074505806;
    double time_high = 0.8999999761581421;
    double bend_low = 2.0;
    double bend_high = 3.0;
};

// The evolution's box, also that of the quasi-Newton and pattern searches.
inline constexpr BreakBoxFactors kEvolutionBreakBox{};
inline constexpr BreakBoxFactors kHitAndRunBreakBox{1e6, 0.05000000074505806, 0.8999999761581421, 0.0,
                                                    0.05000000074505806, 0.8999999761581421, 2.0, 3.0};
inline constexpr BreakBoxFactors kSimplexBreakBox{1e5, 0.01, 0.9, 0.0, 0.009999999776482582, 0.8999999761581421,
                                                  2.0, 3.0};
inline constexpr BreakBoxFactors kGoldenBreakBox{1e6, 0.10000000149011612, 0.8999999761581421, 0.0,
                                                 0.10000000149011612, 0.8999999761581421, 0.25, 3.0};

// The box for np (4 or 5) parameters on this curve.
ParameterBox break_box(std::int64_t np, const BreakCurve& curve, const BreakBoxFactors& factors);

// The largest value, values that are not numbers passed over (-huge when none is left).
double largest_value(std::span<const double> values);

// The smallest value, values that are not numbers passed over (+huge when none is left).
double smallest_value(std::span<const double> values);

}  // namespace imm
