// Nelder-Mead simplex whose first nine iterations kick the current point with
// the random search and, for three-parameter models, a golden-section sweep on
// the third parameter.
#pragma once

#include <cstdint>
#include <span>

#include "optimise/objective.h"
#include "optimise/random_context.h"

namespace imm {

inline constexpr std::int64_t kSimplexMaxParams = 10;

struct SimplexOptions {
    double tolerance = 1e-10;     // spread of the vertex values, relative to the lowest, that stops the search
    double scale = 0.1;           // edge length of the first simplex
    std::int64_t max_iterations = 500;
};

struct SimplexResult {
    double f = 0.0;                // objective at the returned point
    std::int64_t icount = 0;       // progress count: one per 100 iterations
    std::int64_t iterations = 0;
};

// p (at most 10 parameters) in and out.
SimplexResult simplex(Objective& objective, std::span<double> p, RandomContext& random,
                      const SimplexOptions& options);

}  // namespace imm
