// Hooke-Jeeves pattern search on the break model.
#pragma once

#include <cstdint>
#include <span>

#include "breakpoint/bent_hyperbola.h"

namespace imm {

struct PatternSearchOptions {
    BreakFlags flags = kAllBreakFlags;  // zero holds a parameter
    double shrink = 0.5;                // step reduction factor
    double step_min = 1e-7;             // smallest step length
    std::int64_t max_iterations = 1000;
};

struct PatternSearchResult {
    double f = 0.0;  // the sum of squares of the returned point
    std::int64_t iterations = 0;
};

// hooke_breakpt: searches from p (4 or 5 parameters); a start outside the
// evolution's break box is first reflected, in p itself. The result goes to
// xout (p.size() entries). Trial points are not reflected.
PatternSearchResult hooke_breakpt(const BreakCurve& curve, std::span<double> p, std::span<double> xout,
                                  const PatternSearchOptions& options);

}  // namespace imm
