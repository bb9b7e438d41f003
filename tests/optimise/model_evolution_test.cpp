#include "optimise/model_evolution.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "model/models.h"
#include "model/robust_weights.h"
#include "optimise/model_objective.h"
#include "tests/optimise/test_problems.h"

namespace imm {
namespace {

const test::TestProblem& michaelis_menten_problem()
{
    return test::kTestProblems[3];
}

TEST(ModelSumOfSquares, EachWeightingMode)
{
    test::load_michaelis_menten();
    const std::array<double, 2> truth{2.0, 1.0};
    const std::array<double, 2> away{2.5, 0.9};
    EXPECT_EQ(ModelSumOfSquares(0).value(truth), 0.0);
    EXPECT_EQ(ModelSumOfSquares(0).value(away), test::michaelis_menten(away));
    EXPECT_GT(ModelSumOfSquares(0).value(away), 0.0);

    double relative = 0.0;
    for (std::size_t k = 0; k < 24; ++k) {
        const double f = func(a1.t[k], a1.so[k], a1.yobs[k], away);
        const double r = a1.yobs[k] - f;
        relative += r * r / (std::abs(f) < 1.49e-8 ? 1.0 : std::abs(f));
    }
    EXPECT_EQ(ModelSumOfSquares(1).value(away), relative);
    EXPECT_EQ(ModelSumOfSquares(3).value(away), 0.0);
    EXPECT_EQ(ModelSumOfSquares(-1).value(away), 0.0);
}

TEST(ModelSumOfSquares, RelativeModeCountsASmallModelValueAsOne)
{
    test::load_michaelis_menten();
    a3.ndata = 1;
    a1.t[0] = 0.0;  // no product formed yet: the model value is about 0
    a1.yobs[0] = 0.5;
    const std::array<double, 2> p{2.0, 1.0};
    const double f = func(0.0, a1.so[0], 0.5, p);
    ASSERT_LT(std::abs(f), 1.49e-8);
    EXPECT_EQ(ModelSumOfSquares(1).value(p), (0.5 - f) * (0.5 - f));
}

TEST(ModelSumOfSquares, RobustWeightsDampAnOutlier)
{
    test::load_michaelis_menten();
    const std::array<double, 2> truth{2.0, 1.0};
    // Small residuals everywhere, one gross outlier.
    for (std::size_t k = 0; k < 24; ++k) {
        a1.yobs[k] += (k % 2 == 0 ? 1e-3 : -1e-3) * static_cast<double>(k % 5 + 1);
    }
    a1.yobs[5] += 10.0;
    const double plain = ModelSumOfSquares(0).value(truth);
    const double robust = ModelSumOfSquares(2).value(truth);
    EXPECT_GT(plain, 99.0);
    // The outlier weighs 1e-6 (1e-4 at most); the small residuals sum to 6e-4 at most.
    EXPECT_LT(robust, 7e-4);
    EXPECT_GT(robust, 0.0);
}

TEST(Evolve, FitsTheModelInsideItsBox)
{
    const auto& problem = michaelis_menten_problem();
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        problem.prepare();
        RandomContext random = RandomContext::seeded(seed);
        const double reference = 2.0 * problem.function(problem.start_vector());
        ModelEvolutionOptions options;
        options.max_generations = 500;
        const auto result = evolve(problem.start_vector(), reference, options, random);
        EXPECT_LE(result.generations, 500);
        // A rough global stage: it stops once the best member stalls for two
        // generations, and the local stages take it from there.
        EXPECT_LT(result.value, 0.05 * reference);
        EXPECT_NEAR(result.parameters[0], 2.0, 0.75);
        EXPECT_NEAR(result.parameters[1], 1.0, 0.25);
        const std::span<const double> p(result.parameters.data(), 2);
        EXPECT_EQ(result.value, std::max(2.22e-16, test::michaelis_menten(p)));
        // The box: 0 .. 100 times the start.
        EXPECT_GE(p[0], 0.0);
        EXPECT_LE(p[0], 150.0);
        EXPECT_GE(p[1], 0.0);
        EXPECT_LE(p[1], 80.0);
    }
}

TEST(Evolve, WeightingModes)
{
    const auto& problem = michaelis_menten_problem();
    problem.prepare();
    a1.yobs[3] += 5.0;
    for (const std::int64_t mode : {0, 1, 2}) {
        a3.weight_mode = mode;
        RandomContext random = RandomContext::seeded(4);
        const auto result = evolve(problem.start_vector(), 1e9, ModelEvolutionOptions{}, random);
        const std::span<const double> p(result.parameters.data(), 2);
        // Relative weighting does not enter the evolution: mode 1 sums like mode 0.
        const double expected = ModelSumOfSquares(mode == 2 ? 2 : 0).value(p);
        EXPECT_EQ(result.value, std::max(2.22e-16, expected)) << "mode " << mode;
    }
}

TEST(Evolve, GenerationLimitAndDataThatGiveNoNumber)
{
    // Every sum is not a number: nothing ever improves on the reference, so
    // the search runs to its limit and gives back the start.
    const auto& problem = michaelis_menten_problem();
    for (const std::int64_t limit : {0, 500}) {
        problem.prepare();
        a1.yobs.fill(std::numeric_limits<double>::quiet_NaN());
        RandomContext random = RandomContext::seeded(3);
        ModelEvolutionOptions options;
        options.max_generations = limit;
        const auto result = evolve(problem.start_vector(), 1e9, options, random);
        EXPECT_EQ(result.generations, limit == 0 ? 600 : 500);
        EXPECT_FALSE(result.converged);
        EXPECT_EQ(result.progress_count, result.generations / 4);
        EXPECT_EQ(result.value, 1e9);
        EXPECT_EQ(result.parameters[0], 1.5);
        EXPECT_EQ(result.parameters[1], 0.8);
    }
}

}  // namespace
}  // namespace imm
