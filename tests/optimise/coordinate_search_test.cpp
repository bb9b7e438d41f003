#include "optimise/coordinate_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "optimise/model_objective.h"
#include "support/shared_blocks.h"
#include "tests/optimise/test_problems.h"

namespace imm {
namespace {

using test::kTestProblems;
using test::ProblemObjective;

// 121 probes per parameter, of which the 11 middle ones fall on the current
// point: once a probe has been kept, the value there is known.
TEST(CoordinateSearch, EvaluatesEveryProbeOffTheKnownPoint) {
    RandomContext random = RandomContext::seeded(3);
    for (const auto& problem : kTestProblems) {
        problem.prepare();
        ProblemObjective objective(problem);
        std::vector<double> p(problem.start_vector().begin(), problem.start_vector().end());
        const auto box = problem.box();
        const auto result = coordinate_search(objective, p, box.lower, box.upper, problem.function(p), random);
        EXPECT_LE(result.evaluations, 121 * problem.dimension);
        EXPECT_GE(result.evaluations, 110 * problem.dimension);
        EXPECT_EQ(objective.evaluations, result.evaluations);
    }
}

TEST(CoordinateSearch, ImprovesAndReturnsTheValueOfItsPoint) {
    RandomContext random = RandomContext::seeded(3);
    for (const auto& problem : kTestProblems) {
        problem.prepare();
        ProblemObjective objective(problem);
        std::vector<double> p(problem.start_vector().begin(), problem.start_vector().end());
        const double start = problem.function(p);
        const auto box = problem.box();
        const auto result = coordinate_search(objective, p, box.lower, box.upper, start, random);
        EXPECT_LT(result.f, start) << problem.name;
        EXPECT_EQ(result.f, problem.function(p)) << problem.name;
    }
}

TEST(CoordinateSearch, RepeatsExactlyFromCallToCall) {
    const auto& problem = kTestProblems[0];
    const auto box = problem.box();
    RandomContext random = RandomContext::seeded(3);
    std::vector<double> first(problem.start_vector().begin(), problem.start_vector().end()), second = first;
    problem.prepare();
    ProblemObjective objective(problem);
    const auto r1 = coordinate_search(objective, first, box.lower, box.upper, 4.0, random);
    for (int k = 0; k < 17; ++k) random.uniform.next();  // whatever the generator did in between
    RandomContext other = RandomContext::seeded(99);
    const auto r2 = coordinate_search(objective, second, box.lower, box.upper, 4.0, other);
    EXPECT_EQ(first, second);
    EXPECT_EQ(r1.f, r2.f);
}

TEST(CoordinateSearch, KeepsTheCallersValueWhenNothingBeatsIt) {
    const auto& problem = kTestProblems[0];
    const auto box = problem.box();
    RandomContext random = RandomContext::seeded(3);
    std::vector<double> p = {1, 2, 3, 4};
    problem.prepare();
    ProblemObjective objective(problem);
    const auto result = coordinate_search(objective, p, box.lower, box.upper, 0.0, random);
    EXPECT_EQ(result.f, 0.0);
    EXPECT_EQ(p, (std::vector<double>{1, 2, 3, 4}));
}

TEST(CoordinateSearch, AValueThatIsNotANumberNeverPasses) {
    struct NotANumber : Objective {
        double value(std::span<const double>) override { return std::numeric_limits<double>::quiet_NaN(); }
    } objective;
    RandomContext random = RandomContext::seeded(3);
    std::vector<double> p = {1, 2};
    const std::vector<double> lo = {-10, -10}, hi = {10, 10};
    const auto result = coordinate_search(objective, p, lo, hi, 5.0, random);
    EXPECT_EQ(result.f, 5.0);
    EXPECT_EQ(p, (std::vector<double>{1, 2}));
}

TEST(CoordinateSearch, ModelFitSumsUnweightedUnlessRobust) {
    const auto& problem = kTestProblems[3];
    problem.prepare();
    const auto box = problem.box();
    std::vector<std::vector<double>> results;
    for (std::int64_t mode : {0, 1, 2}) {
        a3.weight_mode = mode;
        RandomContext random = RandomContext::seeded(3);
        std::vector<double> p = {1.5, 0.8};
        const auto result = asearch(p, box.lower, box.upper, 1e30, random);
        // The first probe beats 1e30, so no middle probe is evaluated.
        EXPECT_EQ(result.evaluations, 110 * 2);
        ModelSumOfSquares sum(mode == 2 ? 2 : 0);
        EXPECT_EQ(result.f, sum.value(p)) << mode;
        results.push_back(p);
    }
    EXPECT_EQ(results[0], results[1]);
    a3.weight_mode = 0;
}

}  // namespace
}  // namespace imm
