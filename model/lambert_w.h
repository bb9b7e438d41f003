// The Lambert W function: the principal branch W(x) (the Omega function), with
// w·e^w = x, and the lower branch W-1. omega_wo is inline: the models call it
// once per data row in every fit.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "model/lane_log.h"

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

// True when omega_wo(x) takes its iterated path: x is neither a special point
// nor close enough to 0 for the series. False for a NaN.
inline bool omega_wo_iterates(double x) { return x >= 1e-9 && x < 3e45 && x != 1.0 && x != lambert_w_detail::kE; }

// omega_wo of N arguments that all take its iterated path (a fixed start,
// three steps of the form w/(1+w)·(1 + ln(x/w)) and one Fritsch step), each
// step taken for every argument before the next: the steps of different
// arguments then overlap in the processor or share its vector registers, and
// each result is the same bits whatever N is.
template <std::size_t N>
[[gnu::always_inline]] inline void omega_wo_side_by_side(const std::array<double, N>& x, std::array<double, N>& w) {
    using namespace lambert_w_detail;
    std::array<double, N> s, t;
    for (std::size_t j = 0; j < N; ++j) {
        s[j] = std::sqrt(kE * x[j] + 1.0);
        t[j] = 1.0 + s[j];
    }
    lane_logs(t);
    for (std::size_t j = 0; j < N; ++j) t[j] = (1.0 + 1.14956131 * s[j]) / (1.0 + 0.4549574 * t[j]);
    lane_logs(t);
    for (std::size_t j = 0; j < N; ++j) w[j] = 2.036 * t[j] - 1.0;
    for (int i = 0; i < 4; ++i) {
        // t = ln(x/|w|), negated when w's sign bit is set
        for (std::size_t j = 0; j < N; ++j) t[j] = x[j] / std::fabs(w[j]);
        lane_logs(t);
        for (std::size_t j = 0; j < N; ++j) t[j] = std::signbit(w[j]) ? -t[j] : t[j];
        if (i < 3) {
            for (std::size_t j = 0; j < N; ++j) w[j] = (w[j] / (1.0 + w[j])) * (1.0 + t[j]);
        } else {
            for (std::size_t j = 0; j < N; ++j) w[j] = fritsch_step(w[j], t[j]);
        }
    }
}

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
    std::array<double, 1> one{};
    omega_wo_side_by_side(std::array<double, 1>{x}, one);
    return one[0];
}

// Principal W with the same special points, by a start suited to the range of x
// and one Fritsch step.
double omega_wp(double x);

// W on branch 0 (branch == 0) or branch -1 (branch != 0). With offset_mode == 1,
// x is the distance from the branch point -1/e. Arguments outside the branch give
// -1.7976931348623157e308 on branch -1.
double lambert_w(double x, std::int64_t branch, std::int64_t offset_mode);

}  // namespace imm
