// Relative coordinate search: small relative probes of each parameter in turn
// on a stream of uniforms that repeats at every call.
#pragma once

#include <cstdint>
#include <span>

#include "optimise/objective.h"
#include "optimise/random_context.h"

namespace imm {

struct CoordinateSearchResult {
    double f = 0.0;                // objective at the returned point
    std::int64_t evaluations = 0;  // 121 per parameter
};

// asearch: p in and out; lo, hi the box for abounds; f the value of p on entry.
// Returns the best value found, which belongs to p. The model fit passes the
// model's sum of squares with weighting mode 2 or 0 (relative counts as 0).
CoordinateSearchResult asearch(Objective& objective, std::span<double> p, std::span<const double> lo,
                               std::span<const double> hi, double f, RandomContext& random);

}  // namespace imm
