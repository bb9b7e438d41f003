// Quasi-Newton minimiser on function values only: finite-difference gradients
// (forward, then central), U'DU factors in packed storage, a safeguarded line
// search and the Davidon-Fletcher-Powell or Broyden-Fletcher-Goldfarb-Shanno
// correction by Fletcher's rule. The options let the model fit and the
// breakpoint analysis share one implementation.
#pragma once

#include <cstdint>
#include <span>

#include "optimise/objective.h"

namespace imm {

// How points are kept inside the bounds.
enum class BoundRule {
    clamp_trials,    // clamp the start and the line-search trials; other points unbounded
    // Reflect (abounds) the flagged parameters of every point outside the
    // bounds before it is evaluated; a stored point is always the evaluated one.
    reflect_always,
};

struct QuasiNewtonOptions {
    std::int64_t mode = 1;               // 1 identity start, 2 factorise h, 3 h holds factors
    std::int64_t max_evaluations = 250;  // passed by up to 2n - 1
    double step = 0.000100001;           // relative finite-difference step
    BoundRule bound_rule = BoundRule::clamp_trials;
    double start_limit = 0.0;            // when positive, the start is first limited to +-start_limit
    // Per-parameter flags; empty means every parameter takes part. A nonzero
    // flag lets the reflection act; a flag other than 1 holds the gradient at 0.
    std::span<const std::int32_t> flags{};
};

struct QuasiNewtonResult {
    double f = 0.0;                // objective at the returned point
    std::int64_t iexit = 4;        // 1 converged, 4 anything else
    std::int64_t evaluations = 0;  // evaluations counted against the limit
    std::int64_t iterations = 0;
};

// Minimises from b (n = b.size() <= 25) within [lo, hi]; b receives the last
// accepted point, h (n(n+1)/2) the updated factors.
QuasiNewtonResult quasi_newton(Objective& objective, std::span<double> b, std::span<const double> lo,
                               std::span<const double> hi, std::span<double> h,
                               const QuasiNewtonOptions& options);

// va10e: the minimiser of the model fit (objective calcfg), clamping the start
// and the line-search trials into [lo, hi]; the step 0.000100001.
QuasiNewtonResult va10e(Objective& objective, std::span<double> b, std::span<const double> lo,
                        std::span<const double> hi, std::span<double> h, std::int64_t mode,
                        std::int64_t max_evaluations);

// True when x is not a number.
bool isnanum(double x);
// True when x is infinite.
bool isinfty(double x);

}  // namespace imm
