#include "app/plots/axis_scaling.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace imm {

namespace {

constexpr std::array<double, 3> kSqr = {1.4142135623730951, 3.1622776601683795, 7.0710678118654755};
constexpr std::array<double, 4> kVint = {1.0, 2.0, 5.0, 10.0};

// Rounds half away from zero.
double nint(double v) {
    return std::round(v);
}

// The rounded scale of values from a to b, for 0 < b and a < b.
AxisScale scale_positive_top(double a, double b) {
    const auto k1 = static_cast<std::int32_t>(std::log2(b / (b - a)));
    const double q = b * (1.0 - std::pow(0.5, k1));
    const double p = std::pow(10.0, nint(std::log10((b - q) / 10.0)));
    const double k3 = nint(std::log2((b - q) / (10.0 * p)));
    const double step = std::pow(2.0, k3) * 5.0 * p;
    const double top = (nint(b / step) + 1.0) * step;
    const double bottom = top + nint((q - top) / step) * step;
    return AxisScale{bottom, top, step};
}

}  // namespace

AxisScale scaleaxis1(double a, double b, std::int32_t n) {
    if (a > b) {
        std::swap(a, b);
    }
    if (n <= 0) {
        n = 5;
    }
    if (a == b) {
        b = b + 2e-6;
        a = a - 2e-6;
    }
    double s = (b - a) / n;
    if (std::abs(s) < 1e-30) {
        b = b + 1e-30;
        a = a - 1e-30;
        s = (b - a) / n;
    }
    auto e = static_cast<std::int32_t>(std::log10(s));
    if (s < 1.0) {
        e = e - 1;
    }
    const double m = s / std::pow(10.0, e);
    std::size_t i = 0;
    while (i < kSqr.size() && m > kSqr[i]) {
        ++i;
    }
    const double step = kVint[i] * std::pow(10.0, e);

    const double f = a / step;
    auto m1 = static_cast<std::int32_t>(f);
    if (f < 0.0) {
        m1 = m1 - 1;
    }
    if (std::abs(m1 + 1.0 - f) < 2e-6) {
        m1 = m1 + 1;
    }
    double low = step * m1;

    const double g = b / step;
    auto m2 = static_cast<std::int32_t>(g + 1.0);
    if (g < -1.0 || std::abs(g + 1.0 - m2) < 2e-6) {
        m2 = m2 - 1;
    }
    double high = step * m2;

    low = std::min(low, a);
    high = std::max(high, b);
    return AxisScale{low, high, step};
}

AxisScale scale_axis(std::span<const double> values) {
    double smallest = std::numeric_limits<double>::infinity();
    double largest = -std::numeric_limits<double>::infinity();
    for (const double v : values) {
        if (std::isfinite(v)) {
            smallest = std::min(smallest, v);
            largest = std::max(largest, v);
        }
    }
    if (largest > 0.0 && largest > smallest) {
        return scale_positive_top(smallest, largest);
    }
    // Degenerate: scale 0 to the largest magnitude and mirror it about zero.
    const double magnitude = largest >= smallest ? std::max(std::abs(smallest), std::abs(largest)) : 0.0;
    if (magnitude == 0.0) {
        return AxisScale{-1.0, 1.0, 1.0};
    }
    const AxisScale top = scale_positive_top(0.0, magnitude);
    return AxisScale{-top.high, top.high, top.step};
}

}  // namespace imm
