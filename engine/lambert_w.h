// The Lambert W function: the principal branch W(x) (the Omega function), with
// w·e^w = x, and the lower branch W-1. omega_wo is inline: the models call it
// once per data row in every fit.
#pragma once

#include <cmath>
#include <cstdint>

namespace imm {

namespace lambert_w_detail {

inline constexpr double kE = 2.718281828459045;
inline constexpr double kMinusInvE = -0.36787944117144233;

// The special points of the principal branch; true when x is one of them.
inline bool principal_special_point(double x, double& w) {
    if (x < kMinusInvE) { w = 0.0; return true; }
    if (x == kMinusInvE) { w = -1.0; return true; }
    if (x <= 0.0) { w = 0.0; return true; }
    if (x == 1.0) { w = 0.5671432904097838; return true; }
    if (x == kE) { w = 1.0; return true; }
    if (x >= 3e45) { w = 100.0; return true; }
    return false;
}

// ln(x/|w|), negated when w's sign bit is set.
inline double signed_log_ratio(double x, double w) {
    const double sigma = std::signbit(w) ? -1.0 : 1.0;
    return sigma * std::log(x / std::fabs(w));
}

// One Fritsch step for w·e^w = x, given lr = ln(x/w) in the form the branch needs.
inline double fritsch_step(double w, double lr) {
    const double z = lr - w;
    const double q = 2.0 * (1.0 + w) * ((1.0 + w) + 0.6666666666666666 * z);
    return w * (1.0 + (z / (1.0 + w)) * (q - z) / (q - 2.0 * z));
}

}  // namespace lambert_w_detail

// Principal W by a fixed start and four fixed steps. Returns 0 for x <= 0 except
// -1 at the double nearest -1/e, and 100 for x >= 3e45; a NaN propagates.
inline double omega_wo(double x) {
    using namespace lambert_w_detail;
    double w;
    if (principal_special_point(x, w)) return w;
    if (x < 1e-9) {
        // The fixed steps do not converge this close to 0; the series is exact here.
        return x * (1.0 - x + 1.5 * x * x - (8.0 / 3.0) * x * x * x);
    }
    const double s = std::sqrt(kE * x + 1.0);
    w = 2.036 * std::log((1.0 + 1.14956131 * s) / (1.0 + 0.4549574 * std::log(1.0 + s))) - 1.0;
    for (int i = 0; i < 3; ++i) w = (w / (1.0 + w)) * (1.0 + signed_log_ratio(x, w));
    return fritsch_step(w, signed_log_ratio(x, w));
}

// Principal W with the same special points, by a start suited to the range of x
// and one Fritsch step.
double omega_wp(double x);

// W on branch 0 (branch == 0) or branch -1 (branch != 0). With offset_mode == 1,
// x is the distance from the branch point -1/e. Arguments outside the branch give
// -1.7976931348623157e308 on branch -1.
double lambert_w(double x, std::int64_t branch, std::int64_t offset_mode);

}  // namespace imm
