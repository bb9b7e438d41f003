// Relative coordinate search on the weighted sum of squares: small relative
// probes of each parameter in turn on a stream of uniforms that repeats at
// every call.
#pragma once

#include <cstdint>
#include <span>

#include "optimise/random_context.h"

namespace imm {

struct CoordinateSearchResult {
    double f = 0.0;                // objective at the returned point
    std::int64_t evaluations = 0;  // 121 per parameter
};

// asearch: p in and out; lo, hi the box for abounds; rows the data rows summed;
// f the value of p on entry. Returns the best value found, which belongs to p.
CoordinateSearchResult asearch(std::span<double> p, std::span<const double> lo, std::span<const double> hi,
                               std::int64_t rows, double f, RandomContext& random);

}  // namespace imm
