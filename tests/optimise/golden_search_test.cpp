#include "optimise/golden_search.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/shared_blocks.h"
#include "tests/optimise/test_problems.h"

namespace imm {
namespace {

using test::kTestProblems;
using test::ProblemObjective;

class GoldenSearch : public ::testing::Test {
protected:
    void SetUp() override {
        a1.nmdl = 0;
        global_types.idat = 0;
    }
};

TEST_F(GoldenSearch, SweepsTowardsTheMinimumAndReturnTheValueOfTheirPoint) {
    const auto& sphere = kTestProblems[0];
    ProblemObjective objective(sphere);
    std::vector<double> p = {2, 1.5, 2, 5};
    const auto result = golden_search(objective, p);
    EXPECT_EQ(result.f, sphere.function(p));
    EXPECT_EQ(result.evaluations, objective.evaluations);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(p[i], i + 1.0, 0.01 * (i + 1.0)) << i;  // ten golden steps: 0.8% of the bracket
}

TEST_F(GoldenSearch, APassMovesToTheBetterEndOfItsBracket) {
    // Minimum of (x - 1)^2 at 1 inside the bracket [0.382, 1.618] of x = 1.
    struct Parabola : Objective {
        double value(std::span<const double> x) override { return (x[0] - 1.0) * (x[0] - 1.0); }
    } objective;
    std::vector<double> p = {1.0};
    EXPECT_EQ(golden_pass(objective, p, 0), 14);
    EXPECT_NEAR(p[0], 1.0, 0.01);
    // Constant values: every step moves the lower end up, and it is kept.
    struct Flat : Objective {
        double value(std::span<const double>) override { return 3.0; }
    } flat;
    p = {1.0};
    golden_pass(flat, p, 0);
    EXPECT_GT(p[0], 0.3819660112501051);
    EXPECT_LT(p[0], 0.3819660112501051 + 1.2360679774997898 * 0.0082);
}

TEST_F(GoldenSearch, AParameterAtZeroStaysAtZero) {
    ProblemObjective objective(kTestProblems[0]);
    std::vector<double> p = {0, 1, 1, 1};
    golden_search(objective, p);
    EXPECT_EQ(p[0], 0.0);
}

TEST_F(GoldenSearch, ThirdParameterSearchMovesOnlyTheThird) {
    ProblemObjective objective(kTestProblems[0]);
    std::vector<double> p = {2, 1, 2.5};
    const auto result = golden_p3_search(objective, p);
    EXPECT_EQ(p[0], 2.0);
    EXPECT_EQ(p[1], 1.0);
    EXPECT_NEAR(p[2], 3.0, 0.01);
    EXPECT_EQ(result.f, test::shifted_sphere(p));
}

}  // namespace
}  // namespace imm
