#include "model/lambert_w.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace imm {

namespace {

using namespace lambert_w_detail;

constexpr double kInvE = 0.36787944117144233;
constexpr double kLowest = -1.7976931348623157e308;

// Principal W for x above the special points, from r = sqrt(2(1 + e·x)).
double principal_from_start(double x, double r) {
    const double eps = 2.220446049250313e-16;
    if (std::fabs(x) <= 0.5 * std::pow(eps, 1.0 / 6.0)) {
        return x / (1.0 + x / (1.0 + x / (2.0 + x / (0.6 + 0.34 * x))));
    }
    double w;
    if (x <= 20.0) {
        // Rational approximation in r, relative error below 2e-6 on (0.0012, 20].
        w = (-1.0 + r * (0.18502670770492655 +
                         r * (0.3240819865996713 + r * (0.03169099949848123 + r * 0.00013326579909676717)))) /
            (1.0 + r * (0.8147172407076546 + r * (0.15825387419358705 + r * 0.006089236042195167)));
    } else {
        const double lx = std::log(x);
        const double h = std::exp(-1.124491989777808 / (lx + 0.4225028202459761));
        w = std::log(x / std::log(x / std::pow(lx, h)));
    }
    return fritsch_step(w, signed_log_ratio(x, w));
}

// Branch -1 for -1/e < x < 0; offset = x + 1/e.
double lower_branch(double x, double offset) {
    const double p = std::sqrt(2.0 * kE * offset);
    if (p == 0.0) return -1.0;
    double w;
    if (p < 0.05) {
        // Series about the branch point.
        w = -1.0 - p * (1.0 + p * (1.0 / 3.0 + p * (11.0 / 72.0 + p * (43.0 / 540.0 + p * (769.0 / 17280.0)))));
    } else if (x <= -0.00012340980408667956) {
        // Rational approximation in q = sqrt(2(-1 - ln(-x))), relative error below 4e-8.
        const double q = std::numbers::sqrt2 * std::sqrt(-1.0 - std::log(-x));
        w = (-1.0 - q * (1.3884041205390896 +
                         q * (0.7664370241531405 + q * (0.2019051003540556 + q * 0.021984840917152852)))) /
            (1.0 + q * (0.38840436173455173 + q * (0.04469618463200343 + q * -2.403110778378422e-05)));
    } else {
        // Iterated logarithm: w = ln(x/w) from w = ln(-x).
        w = std::log(-x);
        for (int i = 0; i < 5; ++i) w = std::log(x / w);
    }
    // x and w are both negative here, so x/w is the ratio to take the log of.
    return fritsch_step(w, std::log(x / w));
}

}  // namespace

double omega_wp(double x) {
    double w;
    if (principal_special_point(x, w)) return w;
    return principal_from_start(x, std::numbers::sqrt2 * std::sqrt(1.0 + kE * x));
}

double lambert_w(double x, std::int64_t branch, std::int64_t offset_mode) {
    const bool offset = offset_mode == 1;
    if (offset && x < 0.0) return kLowest;
    const double arg = offset ? x - kInvE : x;
    const double dist = offset ? x : x + kInvE;
    if (branch == 0) {
        double w;
        if (principal_special_point(arg, w)) return w;
        const double r = offset ? std::sqrt(2.0 * kE * x) : std::numbers::sqrt2 * std::sqrt(1.0 + kE * x);
        return principal_from_start(arg, r);
    }
    if (arg >= 0.0 || dist < 0.0) return kLowest;
    return lower_branch(arg, dist);
}

}  // namespace imm
