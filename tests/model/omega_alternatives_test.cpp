#include "model/omega_alternatives.h"

#include <gtest/gtest.h>

#include <boost/math/special_functions/lambert_w.hpp>
#include <cmath>
#include <limits>

namespace imm {
namespace {

TEST(Vlog, TruncatedSeriesNearOneAndZero) {
    EXPECT_EQ(vlog(1.0), 0.0);
    EXPECT_EQ(vlog(0.0), -1e-16);
    EXPECT_NEAR(vlog(1.5), std::log(1.5), 5e-9);
    // y = 1/3 at x = 2: 2(1/3 + 1/81 + 1/1215 + 1/15309 + 1/177147).
    EXPECT_NEAR(vlog(2.0), 2.0 * (1.0 / 3 + 1.0 / 81 + 1.0 / 1215 + 1.0 / 15309 + 1.0 / 177147), 1e-15);
}

TEST(OmegaAlternatives, PrincipalBranchOnPositiveArguments) {
    for (double x : {1e-6, 0.01, 0.5, 1.0, 2.718281828459045, 10.0, 1e3, 1e6, 1e12}) {
        const double w = boost::math::lambert_w0(x);
        EXPECT_NEAR(omegaw(x), w, 1e-9 * std::max(w, x)) << x;
        EXPECT_NEAR(omegw(x), w, 1e-6 * std::max(w, x) + 1e-7) << x;
        if (x >= 0.01) {
            EXPECT_NEAR(omagaw(x), w, 1e-7 * w) << x;
        }
    }
}

TEST(OmegaAlternatives, NegativeAndMissingArguments) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(omegaw(-3.0), 0.0);
    EXPECT_EQ(omegw(-3.0), 0.0);
    EXPECT_EQ(omegaw(0.0), 0.0);
    // NaN counts as 1e-8; a negative x as 1e-8·|x|.
    EXPECT_NEAR(omagaw(nan), boost::math::lambert_w0(1e-8), 1e-15);
    EXPECT_NEAR(omagaw(-2.0), boost::math::lambert_w0(2e-8), 1e-15);
    EXPECT_GE(omagaw(0.0), 0.0);
}

}  // namespace
}  // namespace imm
