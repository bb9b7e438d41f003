#include "model/weighted_sum_of_squares.h"

#include <algorithm>
#include <cmath>

namespace imm {

double weighted_sum_of_squares(std::span<const double> observed, std::span<const double> model,
                               std::span<const double> weights, std::int64_t weight_mode, double floor) {
    double sum = 0.0;
    for (std::size_t first = 0; first < model.size(); first += kSumBlock) {
        const std::size_t end = std::min(first + kSumBlock, model.size());
        double block = 0.0;
        for (std::size_t k = first; k < end; ++k) {
            const double f = model[k];
            const double r = observed[k] - f;
            switch (weight_mode) {
            case 0: block += r * r; break;
            case 1: block += r * r / (std::abs(f) < floor ? 1.0 : std::abs(f)); break;
            case 2: block += weights[k] * r * r; break;
            default: break;
            }
        }
        sum += block;
    }
    return sum;
}

}  // namespace imm
