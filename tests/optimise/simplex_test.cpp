#include "optimise/simplex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "support/shared_blocks.h"
#include "tests/optimise/test_problems.h"

namespace imm {
namespace {

using test::kTestProblems;
using test::ProblemObjective;

class Simplex : public ::testing::Test {
protected:
    void SetUp() override {
        a1.nmdl = 0;  // the box of an unknown model: +-1e6
        global_types.idat = 0;
    }
    RandomContext random = RandomContext::seeded(11);
};

// After the kicks each iteration overwrites the lowest vertex with the point it
// evaluated last, which is then a vertex twice: the simplex flattens and
// closes in slowly. It still gets well below its start.
TEST_F(Simplex, ImprovesEachProblemFromItsStart) {
    for (const auto& problem : kTestProblems) {
        problem.prepare();
        ProblemObjective objective(problem);
        std::vector<double> p(problem.start_vector().begin(), problem.start_vector().end());
        const double start = problem.function(p);
        SimplexOptions options;
        options.max_iterations = 500;
        options.tolerance = 1e-14;
        const auto result = simplex(objective, p, random, options);
        EXPECT_LT(result.f, 0.05 * start) << problem.name;
        EXPECT_EQ(result.f, problem.function(p)) << problem.name;
        // The simplex knows only the box of the model, so the bounded problem
        // has its minimum at the unbounded minimiser (-1, 2).
        const bool bounded = problem.minimum != 0.0;
        for (std::int64_t i = 0; i < problem.dimension; ++i) {
            const double expected = bounded && i == 0 ? -1.0 : problem.minimiser[i];
            EXPECT_NEAR(p[i], expected, 0.6) << problem.name << " " << i;
        }
    }
}

TEST_F(Simplex, StopsAtTheIterationLimitRightAfterTheKicks) {
    const auto& problem = kTestProblems[1];
    problem.prepare();
    ProblemObjective objective(problem);
    std::vector<double> p(problem.start_vector().begin(), problem.start_vector().end());
    SimplexOptions options;
    options.max_iterations = 5;
    const auto result = simplex(objective, p, random, options);
    EXPECT_EQ(result.iterations, 5);
    EXPECT_EQ(result.icount, 0);
    EXPECT_EQ(result.f, problem.function(p));
}

TEST_F(Simplex, OrdersAValueThatIsNotANumberAsTheWorst) {
    // The sphere without values beyond x1 > 1.5.
    struct Holed : Objective {
        double value(std::span<const double> x) override {
            if (x[0] > 1.5) return std::numeric_limits<double>::quiet_NaN();
            return test::shifted_sphere(x);
        }
    } objective;
    std::vector<double> p = {1.0, 1.5};  // the first simplex has a vertex without a value
    SimplexOptions options;
    options.scale = 1.0;
    options.max_iterations = 300;
    const auto result = simplex(objective, p, random, options);
    EXPECT_FALSE(std::isnan(result.f));
    EXPECT_LE(p[0], 1.5);
    EXPECT_LT(result.f, 0.01);
}

TEST_F(Simplex, KeepsItsVerticesPerCall) {
    const auto& problem = kTestProblems[1];
    std::vector<double> first(problem.start_vector().begin(), problem.start_vector().end()), second = first;
    RandomContext r1 = RandomContext::seeded(1), r2 = RandomContext::seeded(1);
    ProblemObjective o1(problem), o2(problem), other(kTestProblems[0]);
    SimplexOptions options;
    options.max_iterations = 40;
    simplex(o1, first, r1, options);
    std::vector<double> unrelated = {5, 5, 5, 5};
    RandomContext r3 = RandomContext::seeded(1);
    simplex(other, unrelated, r3, options);
    simplex(o2, second, r2, options);
    EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace imm
