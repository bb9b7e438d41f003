#include "model/qexp.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace imm {
namespace {

TEST(Qexp, FollowsExpWithinFiveInABillion) {
    double worst = 0.0;
    for (int i = -400000; i <= 400000; ++i) {
        const double x = i * 1e-4 + 3.3e-6;  // off the table points
        worst = std::max(worst, std::fabs(qexp(x) / std::exp(x) - 1.0));
    }
    EXPECT_LE(worst, 5e-9);
}

// Fractions up to 1e-6 above a table point are not dropped: the models' sums of
// squares on exact data would otherwise be off by a visible part.
TEST(Qexp, TinyFractionsAboveATablePoint) {
    for (const double k : {0.0, 2.0, 17.0, 39.0}) {
        for (const double f : {1e-15, 3e-9, 5e-7, 9.9e-7}) {
            const double x = k + f;
            EXPECT_NEAR(qexp(x) / std::exp(x), 1.0, 1e-15) << x;
            EXPECT_NEAR(qexp(-x) / std::exp(-x), 1.0, 1e-15) << -x;
        }
    }
}

TEST(Qexp, TableEntriesAreTheNearestDoubles) {
    for (int k = 0; k <= 40; ++k) {
        const double nearest = static_cast<double>(std::exp(static_cast<long double>(k)));
        EXPECT_EQ(qexp(k), nearest) << k;
        EXPECT_EQ(qexp(-k), 1.0 / nearest) << k;
    }
    EXPECT_EQ(qexp(1.0), 2.718281828459045);
    EXPECT_EQ(qexp(40.0), 2.3538526683702e+17);
}

TEST(Qexp, BranchEdges) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(qexp(std::numeric_limits<double>::quiet_NaN()), 1.0);
    EXPECT_EQ(qexp(1e-16), 1.0);
    EXPECT_EQ(qexp(-1e-16), 1.0);
    EXPECT_EQ(qexp(0.0), 1.0);
    EXPECT_EQ(qexp(40.5), std::exp(40.5));
    EXPECT_EQ(qexp(-40.5), std::exp(-40.5));
    EXPECT_EQ(qexp(std::nextafter(40.0, 41.0)), std::exp(std::nextafter(40.0, 41.0)));
    EXPECT_EQ(qexp(std::nextafter(70.0, 0.0)), std::exp(std::nextafter(70.0, 0.0)));
    EXPECT_EQ(qexp(70.0), 1e32);
    EXPECT_EQ(qexp(-70.0), 1e-32);
    EXPECT_EQ(qexp(1e300), 1e32);
    EXPECT_EQ(qexp(inf), 1e32);
    EXPECT_EQ(qexp(-inf), 1e-32);
}

// Lanes of every range: NaN, the ones too small to count, the table range with
// and without a small fraction, the plain exponential and the clamps.
TEST(Qexp, LanesGiveQexpBitForBit) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::array<double, 24> x{std::numeric_limits<double>::quiet_NaN(), 0.0, -0.0, 1e-17, -1e-16,
                                   2.0 + 5e-7, -(17.0 + 3e-9), 0.3, -0.3, 39.99, -39.99, 40.0, -40.0,
                                   std::nextafter(40.0, 41.0), 40.5, -55.0, 69.9, 70.0, -70.0, 1e300, inf, -inf,
                                   12.345678, -6.5};
    std::array<double, 24> lanes{};
    qexp_lanes(x, lanes);
    for (std::size_t j = 0; j < x.size(); ++j) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(lanes[j]), std::bit_cast<std::uint64_t>(qexp(x[j]))) << x[j];
    }
}

}  // namespace
}  // namespace imm
