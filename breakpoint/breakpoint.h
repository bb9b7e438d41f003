// Breakpoint analysis of fitted progress curves: a bent hyperbola fitted to
// each curve's calculated values gives the crossing of its asymptotes (the
// inflection point) and a suggested time range around it for the report.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "breakpoint/bent_hyperbola.h"
#include "breakpoint/break_cascade.h"
#include "breakpoint/break_texts.h"
#include "optimise/random_context.h"
#include "support/shared_blocks.h"
#include "support/task_pool.h"

namespace imm {

// One fitted model's curves.
struct BreakpointInput {
    std::int64_t model = 0;                // 1..6
    double curve_sign = 1.0;               // +1 product models, -1 substrate models
    std::span<const std::int64_t> points;  // rows per curve, one entry per curve (at most 10)
    std::span<const double> t;             // time of every row, curve after curve
    std::span<const double> ycalc;         // calculated value of every row
    std::span<const double> so;            // [So] per curve
    double km = 0.0;
    double vm = 0.0;
    // The model's third parameter. The time offset of models 3 and 6 shifts the
    // times of the hit-and-run and simplex stages and the suggested range;
    // the background of models 2 and 5 is not used.
    double third = 0.0;
    BreakLimits limits{};
};

struct BreakpointResult {
    // Per curve, 50 characters, blank-padded; curves beyond the input stay blank.
    std::array<std::string, kMaxCurves> inflection_texts;  // "[x, y]" or "[N/A, N/A]"
    std::array<std::string, kMaxCurves> range_texts;       // "[from to to]" or "[N/A to N/A]"
    // The accepted break parameters per curve (bend term as a half-width); zero when rejected.
    std::array<BreakVector, kMaxCurves> parameters{};
};

// Analyses every curve, side by side on the program's task pool. Each curve
// has random generators of its own, seeded by draws from `random` in curve
// order before any curve starts, so the result does not depend on the
// threads. A curve whose times are all equal, whose data, Km, Vm or turning
// time are not usable, for which no stage found a fit inside the box, or
// whose best fit is not plausible, gets the N/A texts; nothing is shown and
// the run goes on.
// Throws std::invalid_argument when the call itself is inconsistent: more
// than 10 curves, fewer [So] than curves, a negative row count, or rows
// beyond the arrays or beyond 1000.
BreakpointResult breakpoint(const BreakpointInput& input, RandomContext& random);

// The same on the given pool.
BreakpointResult breakpoint(const BreakpointInput& input, RandomContext& random, TaskPool& pool);

// The time at which a curve turns: 27 Km [So] / (4 Vm (Km + [So])).
double turning_time(double km, double vm, double so);

}  // namespace imm
