// Nelder-Mead simplex on the break model, every trial reflected into a box.
#pragma once

#include <cstdint>
#include <span>

#include "breakpoint/bent_hyperbola.h"

namespace imm {

struct BreakSimplexOptions {
    BreakFlags flags = kAllBreakFlags;  // zero holds a parameter at the caller's value
    std::int64_t max_iterations = 250;
};

struct BreakSimplexResult {
    double f = 0.0;  // the sum of squares that p belongs to
    std::int64_t iterations = 0;
};

// smplx_break: starts from a regular simplex of edge 0.1 around p (4 or 5
// parameters) and stops when the spread of the vertex values is at most
// 1e-5 or at the iteration limit. p receives the best vertex, reflected into
// the simplex's break box; the result is not compared with the start.
BreakSimplexResult smplx_break(const BreakCurve& curve, std::span<double> p, const BreakSimplexOptions& options);

}  // namespace imm
