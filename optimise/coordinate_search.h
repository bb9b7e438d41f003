// Relative coordinate search: small relative probes of each parameter in turn
// on a stream of uniforms that repeats at every call.
#pragma once

#include <cstdint>
#include <span>

#include "model/robust_weights.h"
#include "optimise/objective.h"
#include "optimise/random_context.h"

namespace imm {

struct CoordinateSearchResult {
    double f = 0.0;                // objective at the returned point
    // 121 probes per parameter; a probe on the current point after one was
    // kept is not evaluated.
    std::int64_t evaluations = 0;
};

// Probes p (in and out) on the objective; lo, hi the box for abounds; f the
// value of p on entry. Returns the best value found, which belongs to p.
CoordinateSearchResult coordinate_search(Objective& objective, std::span<double> p, std::span<const double> lo,
                                         std::span<const double> hi, double f, RandomContext& random);

// asearch: the coordinate search of the model fit on the current model's sum
// of squares over the a3.ndata rows of a1, robustly weighted (by `held` when
// given) when a3.weight_mode is 2 and unweighted otherwise.
CoordinateSearchResult asearch(std::span<double> p, std::span<const double> lo, std::span<const double> hi,
                               double f, RandomContext& random, HeldWeights held = {});

}  // namespace imm
