// The cascade of minimisers that fits the bent hyperbola to one curve,
// keeping the best fit that any of its stages finds.
#pragma once

#include <cstdint>

#include "breakpoint/bent_hyperbola.h"
#include "optimise/random_context.h"

namespace imm {

// One curve as the cascade sees it.
struct CascadeCurve {
    BreakCurve data;     // the curve's times: evolution, quasi-Newton, and the sums compared
    BreakCurve shifted;  // the times of the hit-and-run and simplex stages
    double turning_time = 0.0;
};

// The stages' limits. A run keeps these; fuzzing lowers them.
struct BreakLimits {
    std::int64_t generations = 300;
    std::int64_t hit_and_run_moves = 100;  // per level
    std::int64_t simplex_iterations = 250;
    std::int64_t quasi_newton_evaluations = 200;
    std::int64_t profile_evaluations = 2000;
};

struct CascadeFit {
    BreakVector parameters{};  // bend term as fitted
    double f = 0.0;            // sum of squares on the curve's own times
    bool found = false;        // some stage found a finite fit inside the evolution's box
};

// Evolution (bend term held), hit-and-run (crossing held) and quasi-Newton
// from `start`; when the quasi-Newton stage does not converge, a retry from
// the turning time: hit-and-run, simplex, and quasi-Newton with the crossing
// and the bend term held; last, a profile search from the best fit. Each
// stage after the evolution starts from the best fit so far, except within
// the retry, whose steps follow one another. The result is the fit with the
// smallest sum among those of every stage that lie inside the evolution's box.
CascadeFit fit_break_cascade(const CascadeCurve& curve, const BreakVector& start, RandomContext& random,
                             const BreakLimits& limits = {});

}  // namespace imm
