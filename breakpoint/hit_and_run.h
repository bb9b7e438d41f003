// Adaptive random search on the break model: one randomly chosen parameter
// moves at a time, the opposite direction is tried when a step fails, and
// each parameter's step follows its acceptance ratio.
#pragma once

#include <cstdint>
#include <span>

#include "breakpoint/bent_hyperbola.h"
#include "optimise/random_context.h"

namespace imm {

struct HitAndRunOptions {
    BreakFlags flags = kAllBreakFlags;  // zero holds a parameter
    std::int64_t max_iterations = 100;  // moves per level
};

struct HitAndRunResult {
    double f = 0.0;             // the sum of squares that p belongs to
    std::int64_t moves = 0;     // accepted moves
    std::int64_t failures = 0;  // trials rejected in both directions
};

// hitnrun_breakpt: searches from p (4 or 5 parameters) inside the hit-and-run
// break box, drawing from the minimal-standard generator. `f` is the caller's
// sum for p: p moves only to a point with a smaller sum, else p and f come
// back unchanged. A trial whose sum is not a number is never accepted.
HitAndRunResult hitnrun_breakpt(const BreakCurve& curve, std::span<double> p, double f,
                                const HitAndRunOptions& options, MinimalStandardGenerator& generator);

}  // namespace imm
