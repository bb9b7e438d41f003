#include "model/lambert_w.h"

#include <gtest/gtest.h>

#include <boost/math/special_functions/lambert_w.hpp>
#include <cmath>
#include <limits>

namespace imm {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

double rel_error(double got, double want) { return std::fabs(got - want) / std::fabs(want); }

// Logarithmic grid from 1e-300 to just below 3e45.
template <class F>
void for_log_grid(int points, F&& f) {
    const double lo = std::log(1e-300);
    const double hi = std::log(3e45);
    for (int i = 0; i < points; ++i) {
        const double x = std::exp(lo + (hi - lo) * i / points);
        f(x);
    }
}

TEST(OmegaWo, MatchesBoostOverTheWholeRange) {
    double worst_high = 0, worst_mid = 0, worst_low = 0;
    for_log_grid(40000, [&](double x) {
        const double err = rel_error(omega_wo(x), boost::math::lambert_w0(x));
        if (x >= 1e-6) worst_high = std::max(worst_high, err);
        else if (x >= 1e-9) worst_mid = std::max(worst_mid, err);
        else worst_low = std::max(worst_low, err);
    });
    EXPECT_LE(worst_high, 1e-15);
    EXPECT_LE(worst_mid, 1e-13);
    EXPECT_LE(worst_low, 1e-15);
}

TEST(OmegaWo, TinyArgumentsFollowTheSeries) {
    // Where the fixed steps would give 3.47e-7, a negative value or -5.27.
    for (double x : {1e-10, 3e-10, 9.99e-10, 1e-30, 5e-324}) {
        EXPECT_LE(rel_error(omega_wo(x), boost::math::lambert_w0(x)), 1e-15) << x;
        EXPECT_GT(omega_wo(x), 0.0) << x;
    }
    EXPECT_EQ(omega_wo(5e-324), 5e-324);
}

TEST(OmegaWo, SpecialPoints) {
    EXPECT_EQ(omega_wo(1.0), 0.5671432904097838);
    EXPECT_EQ(omega_wo(2.718281828459045), 1.0);
    EXPECT_EQ(omega_wo(-0.36787944117144233), -1.0);
    EXPECT_EQ(omega_wo(-0.5), 0.0);
    EXPECT_EQ(omega_wo(-0.2), 0.0);
    EXPECT_EQ(omega_wo(0.0), 0.0);
    EXPECT_EQ(omega_wo(-kInf), 0.0);
    EXPECT_EQ(omega_wo(3e45), 100.0);
    EXPECT_EQ(omega_wo(kInf), 100.0);
    EXPECT_TRUE(std::isnan(omega_wo(kNaN)));
    EXPECT_NEAR(omega_wo(10.0), 1.74552800274070, 1e-14);
}

TEST(OmegaWo, SolvesTheDefiningEquationAndRises) {
    double previous = 0.0;
    for_log_grid(20000, [&](double x) {
        const double w = omega_wo(x);
        const double tol = (x >= 1e-9 && x < 1e-6) ? 1e-13 : 4e-16;
        EXPECT_LE(std::fabs(w * std::exp(w) - x), tol * x * (1.0 + w)) << x;
        EXPECT_GE(w, previous) << x;
        previous = w;
    });
}

TEST(OmegaWp, MatchesBoost) {
    for (double x : {1e-300, 1e-20, 1e-4, 1.2e-3, 1.3e-3, 0.1, 0.5, 2.0, 7.5, 19.99, 20.0, 20.01, 1e3, 1e20, 2e45}) {
        EXPECT_LE(rel_error(omega_wp(x), boost::math::lambert_w0(x)), 4e-15) << x;
    }
    EXPECT_EQ(omega_wp(1.0), 0.5671432904097838);
    EXPECT_EQ(omega_wp(-0.2), 0.0);
    EXPECT_EQ(omega_wp(3e45), 100.0);
}

TEST(LambertW, BothBranchesMatchBoost) {
    for (double x : {1e-12, 0.3, 5.0, 50.0}) {
        EXPECT_LE(rel_error(lambert_w(x, 0, 0), boost::math::lambert_w0(x)), 4e-15) << x;
    }
    for (double x : {-0.3678794, -0.36, -0.3, -0.1, -1e-3, -1.2340980408667956e-4, -1e-5, -1e-100}) {
        EXPECT_LE(rel_error(lambert_w(x, -1, 0), boost::math::lambert_wm1(x)), 1e-13) << x;
    }
    EXPECT_EQ(lambert_w(0.0, -1, 0), -1.7976931348623157e308);
    EXPECT_EQ(lambert_w(0.5, -1, 0), -1.7976931348623157e308);
    EXPECT_EQ(lambert_w(-0.5, -1, 0), -1.7976931348623157e308);
}

TEST(LambertW, OffsetModeMeasuresFromTheBranchPoint) {
    const double inv_e = 0.36787944117144233;
    EXPECT_EQ(lambert_w(-1e-3, 0, 1), -1.7976931348623157e308);
    EXPECT_EQ(lambert_w(-1e-3, -1, 1), -1.7976931348623157e308);
    for (double d : {1e-3, 0.1, 0.3}) {
        EXPECT_LE(rel_error(lambert_w(d, -1, 1), boost::math::lambert_wm1(d - inv_e)), 1e-12) << d;
    }
    EXPECT_LE(rel_error(lambert_w(inv_e + 1.0, 0, 1), boost::math::lambert_w0(1.0)), 4e-15);
}

}  // namespace
}  // namespace imm
