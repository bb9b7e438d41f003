#include "breakpoint/bent_hyperbola.h"

#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "tests/breakpoint/break_test_curves.h"

namespace imm {
namespace {

TEST(BentHyperbola, SumOfSquaresByHand)
{
    // Two points, P = (1, 0.5, 0.25, 2, 9): at x = 2 the model is 1 - 0.25 sqrt(9) = 0.25,
    // at x = 6 it is 1 + 2 - 0.25 sqrt(25) = 1.75.
    const std::vector<double> x{2.0, 6.0};
    const std::vector<double> y{1.25, 0.75};
    const BreakVector p{1.0, 0.5, 0.25, 2.0, 9.0};
    EXPECT_DOUBLE_EQ(funbreak(p, {x, y, 1.0}), 1.0 + 1.0);
    // The opposite sign bends the other way: 1 + 0.75 = 1.75 and 3 + 1.25 = 4.25.
    EXPECT_DOUBLE_EQ(funbreak(p, {x, y, -1.0}), 0.25 + 12.25);
    // Four parameters: a sharp corner, 1 - 0.25 * 0 = 1 and 3 - 0.25 * 4 = 2.
    EXPECT_DOUBLE_EQ(funbreak(std::span<const double>(p).first(4), {x, y, 1.0}), 0.0625 + 1.5625);
}

TEST(BentHyperbola, StraightLineWithoutBendAndAsymptotes)
{
    const std::vector<double> x{-3.0, 0.0, 7.0};
    const std::vector<double> line{2.0 - 1.5, 2.0, 2.0 + 3.5};
    for (const double p5 : {0.0, 1.0, 100.0}) {
        EXPECT_EQ(funbreak(BreakVector{2.0, 0.5, 0.0, 0.0, p5}, {x, line, 1.0}), 0.0);
    }
    // Far from the crossing the model follows slope P2 + P3 on one side and P2 - P3 on the other.
    const BreakVector p{1.0, 0.3, 0.2, 10.0, 2.5};
    const std::vector<double> far{1e4};
    const std::vector<double> asymptote{1.0 + (0.3 - 0.2) * (1e4 - 10.0)};
    EXPECT_LT(funbreak(p, {far, asymptote, 1.0}), 1e-6);
    const std::vector<double> near{-1e4};
    const std::vector<double> other{1.0 + (0.3 + 0.2) * (-1e4 - 10.0)};
    EXPECT_LT(funbreak(p, {near, other, 1.0}), 1e-6);
    const std::vector<double> mirrored{1.0 + (0.3 + 0.2) * (1e4 - 10.0)};
    EXPECT_LT(funbreak(p, {far, mirrored, -1.0}), 1e-6);
}

TEST(BentHyperbola, BoxesFollowTheCurve)
{
    const test::SyntheticBreak s = test::synthetic_break(1.0);
    const double ymax = largest_value(s.y);
    const ParameterBox box = break_box(5, s.curve(), kEvolutionBreakBox);
    EXPECT_EQ(box.lower[0], 0.05 * ymax);
    EXPECT_EQ(box.upper[0], 1.2 * ymax);
    EXPECT_EQ(box.lower[1], -10.0);
    EXPECT_EQ(box.upper[2], 10.0);
    EXPECT_EQ(box.lower[3], 0.05000000074505806 * 40.0);
    EXPECT_EQ(box.upper[3], 0.8999999761581421 * 40.0);
    EXPECT_EQ(box.lower[4], 2.0);
    EXPECT_EQ(box.upper[4], 3.0);
    // Four parameters: the crossing time on the last one, no bend bounds.
    const ParameterBox corner = break_box(4, s.curve(), kHitAndRunBreakBox);
    EXPECT_EQ(corner.lower[1], -1e6);
    EXPECT_EQ(corner.upper[0], 0.8999999761581421 * ymax);
    EXPECT_EQ(corner.lower[3], 0.05000000074505806 * 40.0);
    EXPECT_EQ(corner.lower[4], 0.0);
    const ParameterBox simplex = break_box(5, s.curve(), kSimplexBreakBox);
    EXPECT_EQ(simplex.lower[2], -1e5);
    EXPECT_EQ(simplex.lower[3], 0.009999999776482582 * 40.0);
}

TEST(BentHyperbola, LargestAndSmallestPassOverValuesThatAreNotNumbers)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> v{nan, 3.0, -2.0, nan};
    EXPECT_EQ(largest_value(v), 3.0);
    EXPECT_EQ(smallest_value(v), -2.0);
}

TEST(BentHyperbola, ReflectionMovesOnlyWhatLeftTheBox)
{
    const std::vector<double> lo{0.0, 2.0};
    const std::vector<double> hi{1.0, 3.0};
    std::vector<double> v{0.5, 4.0};
    brkptbounds(0, v, lo, hi);
    EXPECT_EQ(v[0], 0.5);
    brkptbounds(1, v, lo, hi);
    EXPECT_GE(v[1], 2.0);
    EXPECT_LE(v[1], 3.0);
}

}  // namespace
}  // namespace imm
