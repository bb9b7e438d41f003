// Golden-section sweeps over single parameters of the model fit.
#pragma once

#include <cstdint>
#include <span>

#include "optimise/objective.h"

namespace imm {

struct GoldenSearchResult {
    double f = 0.0;                // objective at the returned point
    std::int64_t evaluations = 0;
};

// One golden-section pass on parameter j with the others fixed: brackets p(j)
// by p(j)(1 +- 0.618), takes ten golden steps and moves p(j) to the better end
// of the final bracket.
std::int64_t golden_pass(Objective& objective, std::span<double> p, std::int64_t j);

// Ten sweeps of golden passes over every parameter, each followed by the
// reflection into the box of factor 10 around the entry point.
GoldenSearchResult golden_search(Objective& objective, std::span<double> p);

// The same sweeps on the third parameter alone (three-parameter models).
GoldenSearchResult golden_p3_search(Objective& objective, std::span<double> p);

}  // namespace imm
