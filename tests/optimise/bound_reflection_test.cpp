#include "optimise/bound_reflection.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace imm {
namespace {

double reflected(double x, double lo, double hi)
{
    std::vector<double> v{x};
    const std::vector<double> l{lo};
    const std::vector<double> h{hi};
    abounds(0, v, l, h);
    return v[0];
}

TEST(Abounds, ExamplesOnTheBoxZeroToTen)
{
    // t = (x/2)((atan x + pi/2)/pi - 1/2) with single-precision pi.
    EXPECT_NEAR(reflected(-100.0, 0.0, 10.0), 24.8408, 1e-4);  // lands outside on the other side
    EXPECT_NEAR(reflected(11.0, 0.0, 10.0), 7.4087, 1e-4);
    for (const double inside : {0.0, 3.5, 10.0}) {
        EXPECT_EQ(reflected(inside, 0.0, 10.0), inside);
    }
}

TEST(Abounds, SignOfTheCrossedBound)
{
    // Back inside a negative box from below, and from above a negative upper bound.
    EXPECT_GT(reflected(-30.0, -20.0, 20.0), -20.0);
    EXPECT_LT(reflected(-30.0, -20.0, 20.0), 0.0);
    EXPECT_LT(reflected(-1.0, -10.0, -2.0), 0.0);
    // A value just below zero comes back just above it.
    const double near_zero = reflected(-0.01, 0.0, 1.0);
    EXPECT_GT(near_zero, 0.0);
    EXPECT_LT(near_zero, 1e-4);
}

TEST(Abounds, SpecialLowerBound)
{
    const double moved = reflected(1e-9, 1.0000000036274937e-15, 1.0);
    EXPECT_NEAR(moved, 5.0e-8, 1e-12);
    EXPECT_GT(moved, 1e-9);
    // Any other tiny lower bound is taken as it stands.
    EXPECT_EQ(reflected(1e-9, 1e-15, 1.0), 1e-9);
}

TEST(Abounds, NotANumberStaysAndOnlyOneEntryMoves)
{
    EXPECT_TRUE(std::isnan(reflected(std::numeric_limits<double>::quiet_NaN(), 0.0, 1.0)));
    std::vector<double> v{-5.0, -5.0, 50.0};
    const std::vector<double> lo{0.0, 0.0, 0.0};
    const std::vector<double> hi{10.0, 10.0, 10.0};
    abounds(1, v, lo, hi);
    EXPECT_EQ(v[0], -5.0);
    EXPECT_GT(v[1], 0.0);
    EXPECT_EQ(v[2], 50.0);
}

TEST(Abounds, InvertedBoxAppliesTheLowerRuleFirst)
{
    // A box for a negative reference P1: upper -100 below lower 0; -1 goes up, not down.
    EXPECT_GT(reflected(-1.0, 0.0, -100.0), 0.0);
}

TEST(ReflectIntoBox, EveryParameterInOrder)
{
    ParameterBox box;
    box.lower.fill(0.0);
    box.upper.fill(10.0);
    std::vector<double> v{-100.0, 11.0, 5.0};
    reflect_into_box(v, box);
    EXPECT_NEAR(v[0], 24.8408, 1e-4);
    EXPECT_NEAR(v[1], 7.4087, 1e-4);
    EXPECT_EQ(v[2], 5.0);
}

}  // namespace
}  // namespace imm
