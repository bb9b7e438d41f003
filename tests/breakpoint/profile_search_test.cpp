#include "breakpoint/profile_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/breakpoint/break_test_curves.h"
#include "tests/reference/break_grid_data.h"

namespace imm {
namespace {

using reference::kBreakGridCurves;
using reference::kBreakGridTimes;

BreakCurve curve_of(const reference::BreakGridCurve& c)
{
    return {kBreakGridTimes, c.y, c.model <= 3 ? 1.0 : -1.0};
}

TEST(FitLevelAndSlopes, ExactOnANoiseFreeBentHyperbola)
{
    const test::SyntheticBreak s = test::synthetic_break(-1.0);
    const BreakCurve curve = s.curve();
    BreakVector p{0.0, 0.0, 0.0, test::kTrueBreak[3], test::kTrueBreak[4]};
    const double f = fit_level_and_slopes(curve, p, break_box(kBreakParams, curve, kEvolutionBreakBox));
    test::expect_near_break(p, 1e-9);
    EXPECT_LT(f, 1e-18);
    EXPECT_EQ(f, funbreak(p, curve));
}

TEST(FitLevelAndSlopes, MatchesTheBoundedFitOfTheGrid)
{
    // At the grid's best crossing and bend term; the substrate curves hold the
    // level at its lower bound.
    for (const auto& c : kBreakGridCurves) {
        const BreakCurve curve = curve_of(c);
        const ParameterBox box = break_box(kBreakParams, curve, kEvolutionBreakBox);
        BreakVector p{0.0, 0.0, 0.0, c.best[3], c.best[4]};
        const double f = fit_level_and_slopes(curve, p, box);
        EXPECT_NEAR(f, c.best_sum, 1e-9 * c.best_sum) << c.name;
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(p[i], c.best[i], 1e-6 * (std::abs(c.best[i]) + 0.1)) << c.name << ", parameter " << i + 1;
            EXPECT_GE(p[i], box.lower[i]) << c.name;
            EXPECT_LE(p[i], box.upper[i]) << c.name;
        }
    }
}

TEST(ProfileSearch, ReachesTheGridsBestFromTheMiddleOfTheBox)
{
    for (const auto& c : kBreakGridCurves) {
        const BreakCurve curve = curve_of(c);
        const ParameterBox box = break_box(kBreakParams, curve, kEvolutionBreakBox);
        BreakVector p{0.0, 0.0, 0.0, (box.lower[3] + box.upper[3]) / 2.0, 2.5};
        const ProfileSearchResult result = profile_search(curve, p, box);
        // The grid's node is a little off the best point between the nodes.
        EXPECT_LE(result.f, c.best_sum * (1.0 + 1e-9)) << c.name;
        EXPECT_GT(result.f, c.best_sum * (1.0 - 1e-4)) << c.name;
        EXPECT_EQ(result.f, funbreak(p, curve)) << c.name;
        EXPECT_NEAR(p[3], c.best[3], 0.01) << c.name;
        EXPECT_NEAR(p[4], c.best[4], 0.01) << c.name;
        EXPECT_LT(result.evaluations, ProfileSearchOptions{}.max_evaluations) << c.name;
    }
}

TEST(ProfileSearch, StaysInsideTheBox)
{
    // A box whose crossing times end before the best one: the search ends on its edge.
    const auto& c = kBreakGridCurves[1];
    const BreakCurve curve = curve_of(c);
    ParameterBox box = break_box(kBreakParams, curve, kEvolutionBreakBox);
    box.upper[3] = 5.0;
    BreakVector p{0.0, 0.0, 0.0, 4.0, 2.5};
    profile_search(curve, p, box);
    EXPECT_EQ(p[3], 5.0);
    EXPECT_EQ(p[4], 3.0);
}

TEST(ProfileSearch, EndsWhereTheCrossingTimesHaveNoWidth)
{
    // Times all 0 give the crossing times the range 0 .. 0; times all -100 an inverted one.
    for (const double time : {0.0, -100.0}) {
        const std::vector<double> times(kBreakGridTimes.size(), time);
        const BreakCurve curve{times, kBreakGridCurves[1].y, 1.0};
        const ParameterBox box = break_box(kBreakParams, curve, kEvolutionBreakBox);
        BreakVector p{0.0, 0.0, 0.0, box.lower[3], 2.5};
        EXPECT_LT(profile_search(curve, p, box).evaluations, ProfileSearchOptions{}.max_evaluations) << time;
        EXPECT_EQ(p[3], box.lower[3]) << time;
    }
}

}  // namespace
}  // namespace imm
