#include "optimise/model_objective.h"

#include <algorithm>
#include <cmath>

#include "engine/models.h"
#include "engine/robust_weights.h"

namespace imm {

namespace {

constexpr double kRelativeFloor = 1.49e-8;

}  // namespace

double ModelSumOfSquares::sum(std::span<const double> x, std::int64_t weight_mode)
{
    const auto rows = static_cast<std::size_t>(std::clamp<std::int64_t>(a3.ndata, 0, kMaxRows));
    for (std::size_t k = 0; k < rows; ++k) {
        model_values_[k] = func(a1.t[k], a1.so[k], a1.yobs[k], x);
        residuals_[k] = a1.yobs[k] - model_values_[k];
    }
    double sum = 0.0;
    switch (weight_mode) {
    case 0:
        for (std::size_t k = 0; k < rows; ++k) {
            sum += residuals_[k] * residuals_[k];
        }
        break;
    case 1:
        for (std::size_t k = 0; k < rows; ++k) {
            const double magnitude = std::abs(model_values_[k]);
            sum += residuals_[k] * residuals_[k] / (magnitude < kRelativeFloor ? 1.0 : magnitude);
        }
        break;
    case 2:
        robust_wt(std::span(residuals_).first(rows), std::span(weights_).first(rows));
        for (std::size_t k = 0; k < rows; ++k) {
            sum += weights_[k] * residuals_[k] * residuals_[k];
        }
        break;
    default:
        break;
    }
    return sum;
}

}  // namespace imm
