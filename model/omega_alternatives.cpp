#include "model/omega_alternatives.h"

#include <algorithm>
#include <cmath>

namespace imm {

namespace {

// Positive start used when a start formula gives no positive value.
inline double fallback_start(double x) { return std::log(1.0 + x / 8.0) + x / (x + 1.0); }

// Start of omegaw and omagaw.
double two_log_start(double x) {
    return 1.4586887 * std::log(1.2 * x / std::log(2.4 * x / std::log(1.0 + 2.4 * x))) -
           0.4586887 * std::log(2.0 * x / std::log(1.0 + 2.0 * x));
}

// Correction of one Fritsch step at w (added to w).
inline double fritsch_correction(double x, double w) {
    const double sigma = std::signbit(w) ? -1.0 : 1.0;
    const double z = sigma * std::log(x / std::fabs(w)) - w;
    const double q = 2.0 * (1.0 + w) * ((1.0 + w) + 0.6666666666666666 * z);
    return w * (z / (1.0 + w)) * (q - z) / (q - 2.0 * z);
}

// One Halley step on w·e^w - x.
inline double halley_step(double x, double w) {
    const double ew = std::exp(w);
    const double f = w * ew - x;
    return w - f / (ew * (w + 1.0) - (w + 2.0) * f / (2.0 * w + 2.0));
}

inline double residual(double x, double w) { return w * std::exp(w) - x; }

}  // namespace

double vlog(double x) {
    if (x == 0.0) return -1e-16;
    const double y = (x - 1.0) / (x + 1.0);
    const double y2 = y * y;
    return 2.0 * y * (1.0 + y2 * (1.0 / 3.0 + y2 * (1.0 / 5.0 + y2 * (1.0 / 7.0 + y2 / 9.0))));
}

double omegaw(double x) {
    x = std::max(x, 0.0);
    double w = two_log_start(x);
    if (!(w > 0.0)) w = fallback_start(x);
    for (int i = 0; i < 3; ++i) {
        double dw = fritsch_correction(x, w);
        if (std::isnan(dw)) dw = 1e-10 * x;
        w += dw;
        if (std::fabs(dw) < 1e-10 * x) break;
    }
    for (int i = 0; i < 3 && std::fabs(residual(x, w)) > 1e-10 * x; ++i) w = halley_step(x, w);
    return w;
}

double omegw(double x) {
    x = std::max(x, 0.0);
    const double l1 = std::log(1.0 + x);
    double w = std::clamp(l1 + x * (x / 2.0 + 8.0) / (x * x + 12.0 * x + 8.0) - std::log(1.0 + l1), -65.0, 65.0);
    if (!(w > 0.0)) w = fallback_start(x);
    for (int i = 0; i < 10 && std::fabs(residual(x, w)) - 1e-7 * x > 1e-7; ++i) w = halley_step(x, w);
    return w;
}

double omagaw(double x) {
    if (std::isnan(x)) x = 1e-8;
    x = std::max(x, 1e-8 * std::fabs(x));
    const double tiny = 1e-8 * std::fabs(x);
    double start = std::clamp(two_log_start(x), -65.0, 65.0);
    if (!(start > 0.0)) start = fallback_start(x);
    double w = start;
    for (int i = 0; i < 3; ++i) {
        double next = w + fritsch_correction(x, w);
        if (std::isnan(next) || next < 0.0 || next > 1.01 * start) next = tiny;
        const double dw = next - w;
        w = next;
        if (std::fabs(dw) < tiny) break;
    }
    return w;
}

}  // namespace imm
