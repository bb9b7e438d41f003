#include "engine/model_ranking.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/dsort.h"

namespace imm {

namespace {

constexpr double kSmallestWeight = 1e-60;

}  // namespace

std::vector<RankedModel> rank_models(std::span<const double> aicc) {
    const std::size_t count = aicc.size();
    if (count == 0) return {};
    std::vector<double> keys(count);
    std::vector<double> fitted(count);
    for (std::size_t k = 0; k < count; ++k) {
        keys[k] = std::isfinite(aicc[k]) ? aicc[k] : std::numeric_limits<double>::quiet_NaN();
        fitted[k] = static_cast<double>(k);
    }
    dsort(keys, fitted, static_cast<std::int64_t>(count), 2);

    std::vector<RankedModel> ranks(count);
    for (std::size_t i = 0; i < count; ++i) {
        ranks[i].fitted = static_cast<std::size_t>(fitted[i]);
        ranks[i].aicc = aicc[ranks[i].fitted];
        ranks[i].delta = ranks[i].aicc - ranks[0].aicc;
    }
    double sum = 0.0;
    for (RankedModel& r : ranks) {
        r.weight = std::isfinite(r.aicc) ? std::exp(-(r.aicc - ranks[0].aicc) / 2.0) : 0.0;
        sum += r.weight;
    }
    if (sum > 0.0) {
        for (RankedModel& r : ranks) r.weight /= sum;
    }
    const double best_weight = std::max(ranks[0].weight, kSmallestWeight);
    for (RankedModel& r : ranks) {
        r.ler = std::isfinite(r.aicc) ? std::log10(best_weight / std::max(r.weight, kSmallestWeight))
                                      : std::numeric_limits<double>::quiet_NaN();
    }
    return ranks;
}

}  // namespace imm
