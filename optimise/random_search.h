// Random coordinate search in a box around the current point that shrinks
// from pass to pass.
#pragma once

#include <cstdint>
#include <span>

#include "optimise/objective.h"
#include "optimise/random_context.h"

namespace imm {

struct RandomSearchOptions {
    std::int64_t passes = 10;  // pass limit; 9 or less means 100
};

struct RandomSearchResult {
    double f = 0.0;                 // objective at the returned point
    std::int64_t pass_limit = 0;    // the limit used (100 for a value of 9 or less)
    std::int64_t passes = 0;        // passes made
    std::int64_t evaluations = 0;
};

// dorunrun: p in and out. seed is handed to rangen at every draw and receives
// its latest value.
RandomSearchResult dorunrun(Objective& objective, std::span<double> p, double& seed, RandomContext& random,
                            const RandomSearchOptions& options);

}  // namespace imm
