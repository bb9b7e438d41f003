#include "engine/qexp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace imm {
namespace {

TEST(Qexp, FollowsExpWithinFiveInABillion) {
    double worst = 0.0;
    double worst_dropped = 0.0;
    for (int i = -400000; i <= 400000; ++i) {
        const double x = i * 1e-4 + 3.3e-6;  // off the table points
        const double ax = std::fabs(x);
        const double err = std::fabs(qexp(x) / std::exp(x) - 1.0);
        if (ax - std::floor(ax) <= 1e-6) worst_dropped = std::max(worst_dropped, err);
        else worst = std::max(worst, err);
    }
    EXPECT_LE(worst, 5e-9);
    EXPECT_LE(worst_dropped, 1e-6);
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
    EXPECT_EQ(qexp(2.0000005), qexp(2.0));  // fraction 5e-7 dropped
    EXPECT_EQ(qexp(-2.0000005), qexp(-2.0));
    EXPECT_NE(qexp(2.0000011), qexp(2.0));
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

}  // namespace
}  // namespace imm
