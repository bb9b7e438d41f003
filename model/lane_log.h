// The natural logarithm, computed the same way for one argument or for several
// side by side: a loop over lanes then vectorises, and each lane is bit for bit
// the one-argument result on any processor.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace imm {

namespace lane_log_detail {

inline constexpr double kLn2High = 0.6931471803691238;     // ln 2 to 32 bits, so that k·kLn2High is exact
inline constexpr double kLn2Low = 1.9082149292705877e-10;  // ln 2 - kLn2High

// ln x for a positive, normal, finite x, without a branch. x = 2^k·m with m in
// [√2/2, √2); ln m = 2 atanh(s), s = f/(2 + f), f = m - 1, summed as
// f - f²/2 + s(f²/2 + R) with R = Σ 2z^j/(2j + 1), z = s², whose terms past
// j = 10 are below 1e-18 of the result.
inline double log_of_normal(double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    // Adding this carries into the exponent field exactly when the mantissa is above √2.
    constexpr std::uint64_t kCarryAboveSqrt2 = 0x0010000000000000ULL - 0x0006a09e667f3bcdULL - 1;
    const std::uint64_t shifted = bits + kCarryAboveSqrt2;
    const std::uint64_t field = shifted >> 52;
    // k from the field without an integer conversion, m = x/2^k by integer steps only.
    const double k = std::bit_cast<double>(field | 0x4330000000000000ULL) - (4503599627370496.0 + 1023.0);
    const double m = std::bit_cast<double>(bits - (field << 52) + 0x3ff0000000000000ULL);
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double z = s * s;
    // R by Estrin's scheme: short chains that the processor overlaps.
    const double z2 = z * z;
    const double z4 = z2 * z2;
    const double c12 = 0.6666666666666666 + 0.4 * z;  // 2/3 + 2z/5
    const double c34 = 0.2857142857142857 + 0.2222222222222222 * z;
    const double c56 = 0.18181818181818182 + 0.15384615384615385 * z;
    const double c78 = 0.13333333333333333 + 0.11764705882352941 * z;
    const double c910 = 0.10526315789473684 + 0.09523809523809523 * z;  // 2/19 + 2z/21
    const double r = z * ((c12 + c34 * z2) + ((c56 + c78 * z2) + c910 * z4) * z4);
    const double half_f2 = 0.5 * f * f;
    return k * kLn2High - ((half_f2 - (s * (half_f2 + r) + k * kLn2Low)) - f);
}

inline bool positive_normal(double x) {
    return x >= std::numeric_limits<double>::min() && x <= std::numeric_limits<double>::max();
}

}  // namespace lane_log_detail

// ln x within one unit in the last place; zero, subnormal, infinite, negative
// and NaN arguments give what std::log gives.
inline double lane_log(double x) {
    using namespace lane_log_detail;
    return positive_normal(x) ? log_of_normal(x) : std::log(x);
}

// lane_log of each element, in place.
template <std::size_t N>
[[gnu::always_inline]] inline void lane_logs(std::array<double, N>& v) {
    using namespace lane_log_detail;
    std::array<double, N> logs;
    for (std::size_t j = 0; j < N; ++j) logs[j] = log_of_normal(v[j]);
    for (std::size_t j = 0; j < N; ++j) v[j] = positive_normal(v[j]) ? logs[j] : std::log(v[j]);
}

}  // namespace imm
