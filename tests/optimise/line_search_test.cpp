#include "optimise/line_search.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/optimise/test_problems.h"

namespace imm {
namespace {

TEST(LineSearch, FindsTheMinimumAlongThePointsOwnDirection) {
    // Along (1, 2, 3, 4) * (1 + s / 20) the shifted sphere is least at s = 0,
    // so start from half of it: the minimum is at s = 20.
    test::ProblemObjective objective(test::kTestProblems[0]);
    std::vector<double> p = {0.5, 1, 1.5, 2};
    const auto result = qsearch(objective, p, test::shifted_sphere(p), 0);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(p[i], i + 1.0, 1e-6);
    EXPECT_NEAR(result.f, 0.0, 1e-12);
    EXPECT_EQ(result.f, test::shifted_sphere(p));
}

TEST(LineSearch, SearchesBackwardsAndKeepsAPointThatCannotImprove) {
    test::ProblemObjective objective(test::kTestProblems[0]);
    std::vector<double> p = {2, 4, 6, 8};  // minimum at s = -10
    qsearch(objective, p, test::shifted_sphere(p), 40);
    EXPECT_NEAR(p[0], 1.0, 1e-6);
    std::vector<double> best = {1, 2, 3, 4};
    const auto result = qsearch(objective, best, 0.0, 5);
    EXPECT_EQ(best, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(result.f, 0.0);
}

}  // namespace
}  // namespace imm
