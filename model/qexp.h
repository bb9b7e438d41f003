// e^x from a table of e^k and a short product for the fraction, as the models
// use it, within 5e-9 of e^x: 1.0 for a NaN, clamped to 1e32 / 1e-32 for |x| >= 70. Inline: it runs
// once per data row in every fit.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace imm {

namespace qexp_detail {

// The double nearest e^k, k = 0..40.
inline constexpr std::array<double, 41> kExpTable = {
    1.0, 2.718281828459045, 7.38905609893065, 20.085536923187668, 54.598150033144236,
    148.4131591025766, 403.4287934927351, 1096.6331584284585, 2980.9579870417283,
    8103.083927575384, 22026.465794806718, 59874.14171519782, 162754.79141900392,
    442413.3920089205, 1202604.2841647768, 3269017.3724721107, 8886110.520507872,
    24154952.7535753, 65659969.13733051, 178482300.96318725, 485165195.4097903,
    1318815734.4832146, 3584912846.131592, 9744803446.248903, 26489122129.84347,
    72004899337.38588, 195729609428.83878, 532048240601.79865, 1446257064291.475,
    3931334297144.042, 10686474581524.463, 29048849665247.426, 78962960182680.69,
    214643579785916.06, 583461742527454.9, 1586013452313430.8, 4311231547115195.0,
    1.1719142372802612e+16, 3.1855931757113756e+16, 8.659340042399374e+16,
    2.3538526683702e+17,
};

// e^k for k = -40..40 at index k + 40; the negative powers are 1/e^-k, so
// that negative arguments need no division by the table.
inline constexpr std::array<double, 81> kSignedExpTable = [] {
    std::array<double, 81> table{};
    for (std::size_t k = 0; k <= 40; ++k) {
        table[40 + k] = kExpTable[k];
        table[40 - k] = 1.0 / kExpTable[k];
    }
    return table;
}();

// Integer part of 0 <= a < 2^51 in floating point: round to nearest by adding
// 2^52, then step down where that rounded up. Shorter than a round trip
// through an integer register.
inline double whole_part(double a) {
    const double nearest = (a + 4503599627370496.0) - 4503599627370496.0;
    return nearest - (nearest > a ? 1.0 : 0.0);
}

// q^64 by six squarings.
inline double pow64(double q) {
    for (int i = 0; i < 6; ++i) q *= q;
    return q;
}

// qexp for 1e-16 < |x| <= 40, without a branch.
inline double qexp_from_table(double x) {
    const double ax = std::fabs(x);
    const bool positive = x >= 0.0;
    const double k = whole_part(ax);
    const double f = ax - k;
    const double e = kSignedExpTable[static_cast<std::int32_t>(positive ? k : -k) + 40];
    // Two terms of the series for a small fraction: dropping it would err by up to 1e-6.
    const double series = 1.0 + f * (1.0 + 0.5 * f);
    // Otherwise (1 + f/4096)^4096 with a second-order correction.
    const double q = pow64(pow64((f + 4096.0) / 4096.0));
    const double product = q * (1.0 + (f * f / 8192.0) * (1.0 + (0.5 * f + 0.25 * f * f - 1.0 * f) / 4096.0));
    const double g = f <= 1e-6 ? series : product;
    return positive ? e * g : e * (1.0 / g);
}

inline bool in_table_range(double x) {
    const double ax = std::fabs(x);
    return (ax > 1e-16) & (ax <= 40.0);  // without a branch
}

}  // namespace qexp_detail

inline double qexp(double x) {
    using namespace qexp_detail;
    if (std::isnan(x)) return 1.0;
    const double ax = std::fabs(x);
    if (ax <= 1e-16) return 1.0;
    if (ax > 40.0 && ax < 70.0) return std::exp(x);
    if (ax >= 70.0) return x >= 0.0 ? 1e32 : 1e-32;
    return qexp_from_table(x);
}

// qexp of each element of x into e, each the same bits as qexp gives it. The
// table range is taken for every element at once, so that the loop vectorises.
template <std::size_t N>
[[gnu::always_inline]] inline void qexp_lanes(const std::array<double, N>& x, std::array<double, N>& e) {
    using namespace qexp_detail;
    for (std::size_t j = 0; j < N; ++j) e[j] = qexp_from_table(in_table_range(x[j]) ? x[j] : 1.0);
    for (std::size_t j = 0; j < N; ++j) {
        if (!in_table_range(x[j])) e[j] = qexp(x[j]);
    }
}

}  // namespace imm
