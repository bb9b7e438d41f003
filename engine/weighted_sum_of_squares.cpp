#include "engine/weighted_sum_of_squares.h"

#include <cmath>

namespace imm {

double weighted_sum_of_squares(std::span<const double> observed, std::span<const double> model,
                               std::span<const double> weights, std::int64_t weight_mode, double floor) {
    double sum = 0.0;
    for (std::size_t k = 0; k < model.size(); ++k) {
        const double f = model[k];
        const double r = observed[k] - f;
        switch (weight_mode) {
        case 0: sum += r * r; break;
        case 1: sum += r * r / (std::abs(f) < floor ? 1.0 : std::abs(f)); break;
        case 2: sum += weights[k] * r * r; break;
        default: break;
        }
    }
    return sum;
}

}  // namespace imm
