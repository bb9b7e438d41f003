#include "optimise/model_objective.h"

#include <algorithm>

#include "model/model_rows.h"
#include "model/robust_weights.h"
#include "model/weighted_sum_of_squares.h"
#include "support/row_pool.h"
#include "support/task_pool.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

// Points with fewer rows than this in all are evaluated one after another:
// waking the pool's threads would cost more.
constexpr std::size_t kParallelPointRows = 4096;

// The sum in weighting mode weight_mode from the model values of the rows;
// without held weights, mode 2 first takes robust weights of the residuals,
// using `residuals` and `robust` as room.
double sum_of_rows(std::span<const double> model_values, HeldWeights held, std::span<double> residuals,
                   std::span<double> robust, std::int64_t weight_mode) {
    const std::size_t rows = model_values.size();
    std::span<const double> weights = held;
    if (weight_mode == 2 && held.empty()) {
        for (std::size_t k = 0; k < rows; ++k) residuals[k] = a1.yobs[k] - model_values[k];
        robust_wt(residuals.first(rows), robust.first(rows));
        weights = robust;
    }
    return weighted_sum_of_squares(std::span<const double>(a1.yobs).first(rows), model_values, weights, weight_mode);
}

std::size_t data_rows() { return static_cast<std::size_t>(std::clamp<std::int64_t>(a3.ndata, 0, kMaxRows)); }

}  // namespace

double ModelSumOfSquares::sum(std::span<const double> x, std::int64_t weight_mode)
{
    const std::size_t rows = data_rows();
    if (weight_mode == 2 && held_.empty()) {
        // Robust weights need every residual first.
        auto evaluate_rows = [this, x](std::size_t begin, std::size_t end) {
            model_rows(begin, end, x, model_values_);
        };
        RowPool::shared().for_rows(rows, evaluate_rows);
        return sum_of_rows(std::span(model_values_).first(rows), held_, residuals_, weights_, weight_mode);
    }
    // Each thread sums the blocks of its own rows, which are still in its cache.
    static_assert(RowPool::kChunkBlock % kSumBlock == 0);
    auto evaluate_blocks = [this, x, weight_mode](std::size_t begin, std::size_t end) {
        model_rows(begin, end, x, model_values_);
        for (std::size_t first = begin; first < end; first += kSumBlock) {
            const std::size_t n = std::min(kSumBlock, end - first);
            const std::span<const double> weights = held_.empty() ? held_ : held_.subspan(first, n);
            block_sums_[first / kSumBlock] =
                weighted_sum_of_squares(std::span<const double>(a1.yobs).subspan(first, n),
                                        std::span<const double>(model_values_).subspan(first, n), weights, weight_mode);
        }
    };
    RowPool::shared().for_rows(rows, evaluate_blocks);
    double total = 0.0;  // as weighted_sum_of_squares adds its blocks
    for (std::size_t block = 0; block * kSumBlock < rows; ++block) total += block_sums_[block];
    return total;
}

void ModelSumOfSquares::values(std::span<const double> points, std::size_t n, std::span<double> values)
{
    const std::size_t rows = data_rows();
    auto evaluate_point = [this, points, n, values, rows](std::size_t i) {
        std::array<double, kMaxRows> model_values, residuals, robust;
        const auto fitted = std::span(model_values).first(rows);
        model_rows(0, rows, points.subspan(i * n, n), fitted);
        values[i] = sum_of_rows(fitted, held_, residuals, robust, weight_mode_);
    };
    if (rows * values.size() < kParallelPointRows) {
        for (std::size_t i = 0; i < values.size(); ++i) evaluate_point(i);
    } else {
        TaskPool::shared().for_each(values.size(), evaluate_point);
    }
}

}  // namespace imm
