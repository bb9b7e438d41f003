#include <array>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "breakpoint/break_quasi_newton.h"
#include "breakpoint/golden_break.h"
#include "tests/breakpoint/break_test_curves.h"

namespace imm {
namespace {

using test::kPerturbedStart;
using test::expect_near_break;
using test::kTrueBreak;
using test::perturbed_start;
using test::synthetic_break;

constexpr BreakFlags kBendHeld{1, 1, 1, 1, 0};

std::array<double, 15> ones()
{
    std::array<double, 15> h{};
    h.fill(1.0);
    return h;
}

TEST(BreakQuasiNewton, RecoversTheBreakOfBothSigns)
{
    for (const double sign : {1.0, -1.0}) {
        const auto s = synthetic_break(sign);
        BreakVector p = perturbed_start();
        auto h = ones();
        BreakQuasiNewtonOptions options;
        options.flags = kBendHeld;
        options.max_evaluations = 500;
        const QuasiNewtonResult result = va10d(s.curve(), p, h, options);
        EXPECT_EQ(result.iexit, 1);
        EXPECT_EQ(result.f, funbreak(p, s.curve()));
        expect_near_break(p, 1e-4);
        EXPECT_EQ(p[4], kTrueBreak[4]);
    }
}

TEST(BreakQuasiNewton, HeldParametersKeepTheirStart)
{
    const auto s = synthetic_break(1.0);
    BreakVector p = perturbed_start();
    auto h = ones();
    BreakQuasiNewtonOptions options;
    options.flags = {1, 1, 1, 0, 0};
    const QuasiNewtonResult result = va10d(s.curve(), p, h, options);
    EXPECT_EQ(p[3], kPerturbedStart[3]);
    EXPECT_EQ(p[4], kTrueBreak[4]);
    EXPECT_EQ(result.f, funbreak(p, s.curve()));
    EXPECT_LT(result.f, funbreak(perturbed_start(), s.curve()));
    // The driver's limit of 200 evaluations, every parameter free: exit 1 or 4, a matching pair.
    p = kPerturbedStart;
    h = ones();
    const QuasiNewtonResult free = va10d(s.curve(), p, h, BreakQuasiNewtonOptions{});
    EXPECT_TRUE(free.iexit == 1 || free.iexit == 4);
    EXPECT_LE(free.evaluations, 200 + 2 * 5);
    EXPECT_EQ(free.f, funbreak(p, s.curve()));
}

TEST(BreakQuasiNewton, StartLimitedAndReflected)
{
    const auto s = synthetic_break(1.0);
    // A held component of 2e15 is limited to 1e15 and not reflected.
    BreakVector p = perturbed_start();
    p[2] = 2e15;
    auto h = ones();
    BreakQuasiNewtonOptions options;
    options.flags = {1, 1, 0, 1, 1};
    options.max_evaluations = 20;
    va10d(s.curve(), p, h, options);
    EXPECT_EQ(p[2], 1e15);
    // A free component outside its box is reflected into it.
    p = perturbed_start();
    p[3] = 39.5;
    h = ones();
    options.flags = kBendHeld;
    const QuasiNewtonResult result = va10d(s.curve(), p, h, options);
    EXPECT_LT(p[3], 0.8999999761581421 * 40.0);
    EXPECT_EQ(result.f, funbreak(p, s.curve()));
}

// Each golden pass brackets p (1 +- 0.618) and takes ten steps: about 1 % of p.
TEST(GoldenBreak, SearchesOfTheCrossingAndTheBend)
{
    const auto s = synthetic_break(1.0);
    BreakVector p = kTrueBreak;
    p[3] = 12.5;
    GoldenSearchResult result = golden_c_search(s.curve(), p);
    EXPECT_NEAR(p[3], 10.0, 0.1);
    EXPECT_EQ(result.f, funbreak(p, s.curve()));

    p = kTrueBreak;
    p[4] = 1.5;
    result = golden_d_search(s.curve(), p);
    EXPECT_NEAR(p[4], 2.5, 0.025);
    EXPECT_EQ(result.f, funbreak(p, s.curve()));

    p = kTrueBreak;
    p[3] = 11.0;
    p[4] = 2.0;
    result = golden_cd_search(s.curve(), p);
    EXPECT_LT(result.f, funbreak(BreakVector{5.0, 0.3, 0.2, 11.0, 2.0}, s.curve()) / 100.0);
    EXPECT_EQ(result.f, funbreak(p, s.curve()));
}

TEST(GoldenBreak, OnlyFlaggedParametersMove)
{
    const auto s = synthetic_break(-1.0);
    BreakVector p = kTrueBreak;
    p[3] = 12.5;
    const GoldenSearchResult result = golden_break(s.curve(), p, {0, 0, 0, 1, 0});
    EXPECT_NEAR(p[3], 10.0, 0.1);
    EXPECT_EQ(p[0], kTrueBreak[0]);
    EXPECT_EQ(p[4], kTrueBreak[4]);
    EXPECT_EQ(result.f, funbreak(p, s.curve()));
    // No flag: nothing moves, nothing is reflected (the bend term lies outside its box).
    BreakVector outside = kTrueBreak;
    outside[4] = 9.0;
    const BreakVector before = outside;
    golden_break(s.curve(), outside, {0, 0, 0, 0, 0});
    EXPECT_EQ(outside, before);
    // A parameter at 0 stays at 0.
    BreakVector flat = kTrueBreak;
    flat[1] = 0.0;
    golden_break(s.curve(), flat, {0, 1, 0, 0, 0});
    EXPECT_EQ(flat[1], 0.0);
}

TEST(GoldenBreak, OneDimensionalSearch)
{
    const auto s = synthetic_break(1.0);
    BreakVector p = kTrueBreak;
    p[3] = 12.5;
    OneDimensionalOptions options;
    options.index = 3;
    options.step = 0.5;
    const OneDimensionalResult result = min1d(s.curve(), p, options);
    EXPECT_NEAR(p[3], 10.0, 1e-4);
    EXPECT_EQ(result.f, funbreak(p, s.curve()));
    // A held parameter is never moved.
    p[3] = 12.5;
    options.flags = {1, 1, 1, 0, 1};
    const OneDimensionalResult held = min1d(s.curve(), p, options);
    EXPECT_EQ(p[3], 12.5);
    EXPECT_EQ(held.f, funbreak(p, s.curve()));
    options.index = 5;
    EXPECT_THROW(min1d(s.curve(), p, options), std::invalid_argument);
}

}  // namespace
}  // namespace imm
