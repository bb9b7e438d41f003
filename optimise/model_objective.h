// The sum of squared residuals of the current model over the data rows,
// weighted by a weighting mode: the value every fit stage minimises.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "model/robust_weights.h"
#include "model/weighted_sum_of_squares.h"
#include "optimise/objective.h"
#include "support/shared_blocks.h"

namespace imm {

// Reads the model number and the rows of a1 (a3.ndata of them) at each call.
class ModelSumOfSquares : public Objective {
public:
    // Weighting mode 0: every row weighs 1; 1: each term is divided by the
    // model value's magnitude (1 below 1.49e-8); 2: the held weights, or robust
    // weights from the residuals at the point when none are held; any other
    // mode sums nothing.
    explicit ModelSumOfSquares(std::int64_t weight_mode, HeldWeights held = {})
        : weight_mode_(weight_mode), held_(held) {}

    double value(std::span<const double> x) override { return sum(x, weight_mode_); }

    // Each point's rows on one thread, the points shared among the task pool.
    // Leaves robust_weights() as it was.
    void values(std::span<const double> points, std::size_t n, std::span<double> values) override;

    // The sum at x for any weighting mode.
    double sum(std::span<const double> x, std::int64_t weight_mode);

    // The robust weights of the rows that the last sum in mode 2 without held
    // weights computed.
    std::span<const double> robust_weights() const {
        return std::span(weights_).first(static_cast<std::size_t>(a3.ndata));
    }

private:
    std::int64_t weight_mode_;
    HeldWeights held_;
    std::array<double, kMaxRows> model_values_{};
    std::array<double, kMaxRows> residuals_{};
    std::array<double, kMaxRows> weights_{};
    std::array<double, (kMaxRows + kSumBlock - 1) / kSumBlock> block_sums_{};
};

}  // namespace imm
