// Line search along the direction of the point itself: a golden-ratio
// bracket followed by parabolic interpolation.
#pragma once

#include <cstdint>
#include <span>

#include "optimise/objective.h"

namespace imm {

struct LineSearchResult {
    double f = 0.0;                // objective at the returned point
    std::int64_t evaluations = 0;
};

// qsearch: searches p + s * p / 20 over s; p in and out, f its value on entry.
// At most max_iterations bracket and interpolation steps (30 when 0 or less).
LineSearchResult qsearch(Objective& objective, std::span<double> p, double f, std::int64_t max_iterations);

}  // namespace imm
