#include "optimise/random_search.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/shared_blocks.h"
#include "tests/optimise/test_problems.h"

namespace imm {
namespace {

using test::kTestProblems;
using test::ProblemObjective;

class RandomSearch : public ::testing::Test {
protected:
    void SetUp() override {
        a1.nmdl = 0;  // the box of an unknown model: +-1e6
        global_types.idat = 0;
    }
    RandomContext random = RandomContext::seeded(7);
};

TEST_F(RandomSearch, MakesTenNPlusThreeEvaluationsPerPassPlusOne) {
    for (const auto& problem : kTestProblems) {
        problem.prepare();
        ProblemObjective objective(problem);
        std::vector<double> p(problem.start_vector().begin(), problem.start_vector().end());
        double seed = 1024.0;
        const auto result = dorunrun(objective, p, seed, random, RandomSearchOptions{10});
        const std::int64_t n = problem.dimension;
        EXPECT_EQ(result.passes, 10);
        EXPECT_EQ(result.evaluations, 1 + 10 * (10 * n + 3)) << problem.name;
        EXPECT_EQ(objective.evaluations, result.evaluations);
    }
}

TEST_F(RandomSearch, SmallPassLimitMeansHundredAndTheRangeEndsAfterFifteen) {
    const auto& problem = kTestProblems[1];
    problem.prepare();
    ProblemObjective objective(problem);
    std::vector<double> p(problem.start_vector().begin(), problem.start_vector().end());
    double seed = 1024.0;
    const auto result = dorunrun(objective, p, seed, random, RandomSearchOptions{5});
    EXPECT_EQ(result.pass_limit, 100);
    EXPECT_EQ(result.passes, 15);
    EXPECT_EQ(result.evaluations, 1 + 15 * 23);
}

TEST_F(RandomSearch, ImprovesEveryProblemAndReturnsTheValueOfItsPoint) {
    for (const auto& problem : kTestProblems) {
        problem.prepare();
        ProblemObjective objective(problem);
        std::vector<double> p(problem.start_vector().begin(), problem.start_vector().end());
        const double start = problem.function(p);
        double seed = 1024.0;
        const auto result = dorunrun(objective, p, seed, random, RandomSearchOptions{30});
        EXPECT_LT(result.f, 0.5 * start) << problem.name;
        EXPECT_EQ(result.f, problem.function(p)) << problem.name;
        EXPECT_NE(seed, 1024.0);  // receives the generator's latest value
    }
}

TEST_F(RandomSearch, AnExactFitIsTheBestPoint) {
    const auto& sphere = kTestProblems[0];
    ProblemObjective objective(sphere);
    std::vector<double> p = {1, 2, 3, 4};
    double seed = 1024.0;
    const auto result = dorunrun(objective, p, seed, random, RandomSearchOptions{10});
    EXPECT_EQ(p, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(result.f, 0.0);
}

TEST_F(RandomSearch, AParameterAtZeroStaysAtZero) {
    const auto& sphere = kTestProblems[0];
    ProblemObjective objective(sphere);
    std::vector<double> p = {0, 5, 1, 1};
    double seed = 1024.0;
    dorunrun(objective, p, seed, random, RandomSearchOptions{10});
    EXPECT_EQ(p[0], 0.0);
}

}  // namespace
}  // namespace imm
