// Ranking of the fitted models by AICc, with Akaike weights and evidence ratios.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace imm {

struct RankedModel {
    std::size_t fitted = 0;  // position in fitting order, from 0
    double aicc = 0.0;
    double delta = 0.0;   // aicc minus the AICc of rank 1
    double weight = 0.0;  // Akaike weight; 0 for an AICc that is not finite
    double ler = 0.0;     // log10 of rank 1's weight over this one's; NaN for an AICc that is not finite
};

// Ranks in ascending AICc; equal values keep their fitting order, values that are not
// finite come last. Weights below 1e-60 count as 1e-60 in the evidence ratio.
std::vector<RankedModel> rank_models(std::span<const double> aicc);

}  // namespace imm
