#include "optimise/simplex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include "optimise/calcfg.h"
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

TEST_F(Simplex, ReachesTheMinimumOfEachProblem) {
    for (const auto& problem : kTestProblems) {
        problem.prepare();
        ProblemObjective objective(problem);
        std::vector<double> p(problem.start_vector().begin(), problem.start_vector().end());
        const double start = problem.function(p);
        SimplexOptions options;
        options.max_iterations = 500;
        options.tolerance = 1e-14;
        const auto result = simplex(objective, p, random, options);
        EXPECT_LT(result.f, problem.minimum + 1e-6 * start) << problem.name;
        EXPECT_EQ(result.f, problem.function(p)) << problem.name;
        // The simplex knows only the box of the model, so the bounded problem
        // has its minimum at the unbounded minimiser (-1, 2).
        const bool bounded = problem.minimum != 0.0;
        for (std::int64_t i = 0; i < problem.dimension; ++i) {
            const double expected = bounded && i == 0 ? -1.0 : problem.minimiser[i];
            EXPECT_NEAR(p[i], expected, 1e-3) << problem.name << " " << i;
        }
    }
}

// The noisy curves of model m and scipy's least-squares fit of them.
struct NoisyFit {
    std::array<double, 3> minimiser{};
    double minimum = 0.0;
};

NoisyFit load_noisy(std::int64_t model) {
    const std::filesystem::path folder = std::filesystem::path(SORVEK_SOURCE_DIR) / "tests" / "reference" / "noisy";
    std::ifstream data(folder / ("model" + std::to_string(model) + ".in"));
    std::size_t row = 0;
    for (double t, so, y; data >> t >> so >> y; ++row) {
        a1.t[row] = t;
        a1.so[row] = so;
        a1.yobs[row] = y;
    }
    a1.nmdl = model;
    a3.ndata = static_cast<std::int64_t>(row);
    a3.nparam = model == 1 || model == 4 ? 2 : 3;
    a3.weight_mode = 0;
    a2.model_limit = 6;
    global_types.idat = a3.ndata;
    std::ifstream fits(folder / "scipy_fits.txt");
    NoisyFit fit;
    for (std::int64_t m = 0; fits >> m >> fit.minimiser[0] >> fit.minimiser[1] >> fit.minimiser[2] >> fit.minimum;) {
        if (m == model) break;
    }
    return fit;
}

// The driver's settings, started 10% off scipy's least-squares fit of noisy
// curves in every direction: the simplex keeps its best vertex, reaches the
// minimum and meets its stop test long before the iteration limit.
TEST_F(Simplex, ReachesTheMinimumFromTenPercentOff) {
    for (std::int64_t model = 1; model <= 6; ++model) {
        const NoisyFit fit = load_noisy(model);
        const auto n = static_cast<std::size_t>(a3.nparam);
        for (int corner = 0; corner < (1 << n); ++corner) {
            std::vector<double> p(n);
            for (std::size_t i = 0; i < n; ++i) p[i] = fit.minimiser[i] * (corner >> i & 1 ? 1.1 : 0.9);
            Calcfg objective;
            SimplexOptions options;
            options.scale = 0.1;
            const auto result = simplex(objective, p, random, options);
            SCOPED_TRACE(testing::Message() << "model " << model << " corner " << corner);
            EXPECT_LE(result.f, fit.minimum * (1.0 + 1e-6));
            EXPECT_LT(result.iterations, 250);
        }
    }
}

// The stop test is relative to the objective: the same problem in large units
// stops as soon, and one with a tiny minimum does not stop at once.
TEST_F(Simplex, StopTestScalesWithTheObjective) {
    const NoisyFit fit = load_noisy(1);
    std::vector<std::int64_t> iterations;
    for (const double scale : {1e-12, 1.0, 1e12}) {
        // The data in other units: y scaled by sqrt(scale), so the sums scale by `scale`.
        load_noisy(1);
        for (std::size_t k = 0; k < static_cast<std::size_t>(a3.ndata); ++k) {
            a1.yobs[k] *= std::sqrt(scale);
            a1.so[k] *= std::sqrt(scale);
        }
        std::vector<double> p{fit.minimiser[0] * std::sqrt(scale) * 1.1, fit.minimiser[1] * std::sqrt(scale) * 0.9};
        Calcfg objective;
        SimplexOptions options;
        options.scale = 0.1 * std::sqrt(scale);
        RandomContext stream = RandomContext::seeded(11);
        const auto result = simplex(objective, p, stream, options);
        EXPECT_LE(result.f, fit.minimum * scale * (1.0 + 1e-6)) << scale;
        iterations.push_back(result.iterations);
    }
    for (const std::int64_t count : iterations) {
        EXPECT_GT(count, 20);
        EXPECT_LT(count, 250);
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
