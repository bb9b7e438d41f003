#include "engine/aicc.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace imm {

double relative_error_penalty(std::span<const double> params, std::span<const double> std_errors) {
    constexpr double kCap = 2.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < params.size(); ++i) {
        const double ratio = std_errors[i] / std::fabs(params[i]);
        sum += std::isfinite(ratio) ? std::min(ratio, kCap) : kCap;
    }
    return sum;
}

double aicc(std::int64_t n, std::int64_t k, double penalty, double ssq) {
    if (n <= k) return std::numeric_limits<double>::quiet_NaN();
    const double dn = static_cast<double>(n);
    const double dk = static_cast<double>(k);
    const double dof = static_cast<double>(n - k);
    const double small_sample = std::trunc(10.0 * (2.0 * dn * static_cast<double>(n - 1) / (dof * dof) - 0.96875) + 0.5) / 10.0;
    // An exact fit counts as the smallest normal mean square, so that it ranks
    // first instead of having no finite criterion.
    const double mean_square = ssq == 0.0 ? std::numeric_limits<double>::min() : ssq / dn;
    return dn * std::log(mean_square) + (penalty + small_sample) * dk * dn / dof;
}

bool improves_best_aicc(double candidate, double best_so_far) {
    return std::isfinite(candidate) && candidate < best_so_far;
}

}  // namespace imm
