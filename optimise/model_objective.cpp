#include "optimise/model_objective.h"

#include <algorithm>

#include "engine/models.h"
#include "engine/robust_weights.h"
#include "engine/weighted_sum_of_squares.h"
#include "support/row_pool.h"

namespace imm {

double ModelSumOfSquares::sum(std::span<const double> x, std::int64_t weight_mode)
{
    const auto rows = static_cast<std::size_t>(std::clamp<std::int64_t>(a3.ndata, 0, kMaxRows));
    auto evaluate_rows = [this, x](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k) {
            model_values_[k] = func(a1.t[k], a1.so[k], a1.yobs[k], x);
            residuals_[k] = a1.yobs[k] - model_values_[k];
        }
    };
    RowPool::shared().for_rows(rows, evaluate_rows);
    std::span<const double> weights = held_;
    if (weight_mode == 2 && held_.empty()) {
        robust_wt(std::span(residuals_).first(rows), std::span(weights_).first(rows));
        weights = weights_;
    }
    return weighted_sum_of_squares(std::span<const double>(a1.yobs).first(rows),
                                   std::span<const double>(model_values_).first(rows), weights, weight_mode);
}

}  // namespace imm
