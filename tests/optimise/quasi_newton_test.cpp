#include "optimise/quasi_newton.h"

#include "tests/optimise/test_problems.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace imm {
namespace {

// An objective from a lambda that records the points it is asked about.
class Recorded : public Objective {
public:
    explicit Recorded(std::function<double(std::span<const double>)> f) : f_(std::move(f)) {}
    double value(std::span<const double> x) override {
        points.emplace_back(x.begin(), x.end());
        return f_(x);
    }
    std::vector<std::vector<double>> points;

private:
    std::function<double(std::span<const double>)> f_;
};

double shifted_quadratic(std::span<const double> x) {
    double s = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) s += (i + 1.0) * (x[i] - 1.0 - i) * (x[i] - 1.0 - i);
    return s;
}

const std::array<double, 3> kWideLo = {-100, -100, -100};
const std::array<double, 3> kWideHi = {100, 100, 100};

TEST(QuasiNewton, MinimisesAQuadraticInEachMode) {
    for (std::int64_t mode : {1, 2, 3}) {
        Recorded objective(shifted_quadratic);
        std::array<double, 3> b = {5, -4, 0.5};
        std::array<double, 6> h = {2, 0, 0, 4, 0, 6};  // the Hessian (mode 2) or its factors (mode 3)
        QuasiNewtonOptions options;
        options.mode = mode;
        options.max_evaluations = 500;
        const auto result = quasi_newton(objective, b, kWideLo, kWideHi, h, options);
        EXPECT_EQ(result.iexit, 1) << mode;
        EXPECT_NEAR(b[0], 1.0, 1e-5);
        EXPECT_NEAR(b[1], 2.0, 1e-5);
        EXPECT_NEAR(b[2], 3.0, 1e-5);
        EXPECT_EQ(result.f, shifted_quadratic(b));
    }
}

TEST(QuasiNewton, ReachesTheMinimumOfEachTestProblem) {
    for (const auto& problem : test::kTestProblems) {
        problem.prepare();
        test::ProblemObjective objective(problem);
        std::vector<double> b(problem.start_vector().begin(), problem.start_vector().end());
        const auto n = static_cast<std::size_t>(problem.dimension);
        std::vector<double> h(n * (n + 1) / 2, 1.0);
        const std::span<const double> lo(problem.lower.data(), n), hi(problem.upper.data(), n);
        const auto result = va10e(objective, b, lo, hi, h, 1, 2000);
        EXPECT_EQ(result.f, problem.function(b)) << problem.name;
        // Longer steps of the line search are not clamped: the bounded
        // problem's minimum on a bound is passed for the unbounded one, (-1, 2).
        const bool bounded = problem.minimum != 0.0;
        EXPECT_NEAR(result.f, bounded ? 0.0 : problem.minimum, 1e-8) << problem.name;
        for (std::size_t i = 0; i < n; ++i) {
            const double expected = bounded && i == 0 ? -1.0 : problem.minimiser[i];
            EXPECT_NEAR(b[i], expected, 1e-3) << problem.name << i;
        }
    }
}

TEST(QuasiNewton, StaysWithinTheEvaluationLimitPlusOneGradient) {
    for (std::int64_t limit : {1, 5, 17, 40}) {
        Recorded objective([](std::span<const double> x) {
            return 100.0 * std::pow(x[1] - x[0] * x[0], 2) + std::pow(1.0 - x[0], 2) + x[2] * x[2];
        });
        std::array<double, 3> b = {-1.2, 1.0, 3.0};
        std::array<double, 6> h{};
        QuasiNewtonOptions options;
        options.max_evaluations = limit;
        const auto result = quasi_newton(objective, b, kWideLo, kWideHi, h, options);
        EXPECT_EQ(result.iexit, 4);
        EXPECT_GE(result.evaluations, limit);
        EXPECT_LE(result.evaluations, limit + 2 * 3 - 1);
        // Only the final evaluation is not counted.
        EXPECT_EQ(static_cast<std::int64_t>(objective.points.size()), result.evaluations + 1);
    }
}

TEST(QuasiNewton, ClampsAStartOutsideTheBoxBeforeAnythingElse) {
    Recorded objective(shifted_quadratic);
    std::array<double, 2> b = {-5, 20};
    const std::array<double, 2> lo = {0, 0}, hi = {10, 10};
    std::array<double, 3> h{};
    quasi_newton(objective, b, lo, hi, h, QuasiNewtonOptions{});
    ASSERT_GE(objective.points.size(), 2u);
    EXPECT_EQ(objective.points[0], (std::vector<double>{0, 10}));
    EXPECT_EQ(objective.points[1], (std::vector<double>{0, 10}));

    Recorded inside(shifted_quadratic);
    std::array<double, 2> c = {4, 4};
    quasi_newton(inside, c, lo, hi, h, QuasiNewtonOptions{});
    EXPECT_EQ(inside.points[0], (std::vector<double>{4, 4}));
    EXPECT_EQ(inside.points[1], (std::vector<double>{4 + 0.000100001 * (4 + 1e-15), 4}));
}

TEST(QuasiNewton, ModeOneIgnoresTheIncomingFactor) {
    std::array<double, 2> b1 = {3, -3}, b2 = {3, -3};
    std::array<double, 3> h1 = {1, 1, 0}, h2 = {-7, 99, 0.001};
    Recorded o1(shifted_quadratic), o2(shifted_quadratic);
    quasi_newton(o1, b1, kWideLo, kWideHi, h1, QuasiNewtonOptions{});
    quasi_newton(o2, b2, kWideLo, kWideHi, h2, QuasiNewtonOptions{});
    EXPECT_EQ(b1, b2);
    EXPECT_EQ(h1, h2);
}

TEST(QuasiNewton, BadStartFactorsEndAtOnceWithTheValueOfTheStart) {
    // Mode 2 with a pivot that is not positive, mode 3 with a zero diagonal.
    for (std::int64_t mode : {2, 3}) {
        Recorded objective(shifted_quadratic);
        std::array<double, 2> b = {3, -3};
        std::array<double, 3> h = {1, 2, 0};
        QuasiNewtonOptions options;
        options.mode = mode;
        const auto result = quasi_newton(objective, b, kWideLo, kWideHi, h, options);
        EXPECT_EQ(result.iexit, 4);
        EXPECT_EQ(result.evaluations, 0);
        EXPECT_EQ(objective.points.size(), 1u);
        EXPECT_EQ(b, (std::array<double, 2>{3, -3}));
        EXPECT_EQ(result.f, shifted_quadratic(b));
    }
}

TEST(QuasiNewton, OneParameterWorks) {
    Recorded objective([](std::span<const double> x) { return (x[0] - 3.0) * (x[0] - 3.0) + 2.0; });
    std::array<double, 1> b = {-1};
    std::array<double, 1> h = {1};
    const auto result = quasi_newton(objective, b, kWideLo, kWideHi, h, QuasiNewtonOptions{});
    EXPECT_NEAR(b[0], 3.0, 1e-6);
    EXPECT_NEAR(result.f, 2.0, 1e-12);
}

TEST(QuasiNewton, AValueThatIsNotANumberIsNeverAccepted) {
    // The minimum at (3, 3) lies beyond a region without values.
    Recorded objective([](std::span<const double> x) {
        if (x[0] > 2.0) return std::numeric_limits<double>::quiet_NaN();
        return (x[0] - 3.0) * (x[0] - 3.0) + (x[1] - 3.0) * (x[1] - 3.0);
    });
    std::array<double, 2> b = {0, 0};
    std::array<double, 3> h{};
    const auto result = quasi_newton(objective, b, kWideLo, kWideHi, h, QuasiNewtonOptions{});
    EXPECT_LE(b[0], 2.0);
    EXPECT_FALSE(std::isnan(result.f));
    EXPECT_LT(result.f, 18.0);
    EXPECT_TRUE(result.iexit == 1 || result.iexit == 4);
}

TEST(QuasiNewton, ReflectionOptionKeepsFlaggedParametersInsideAndHoldsOthers) {
    Recorded objective(shifted_quadratic);
    std::array<double, 3> b = {5, 0.5, 9};
    const std::array<double, 3> lo = {0, 0, 0}, hi = {2, 10, 10};  // the minimum of x1 lies outside
    std::array<double, 6> h{};
    const std::array<std::int32_t, 3> flags = {1, 1, 0};
    QuasiNewtonOptions options;
    options.bound_rule = BoundRule::reflect_always;
    options.step = 0.00100001;
    options.start_limit = 1e15;
    options.flags = flags;
    options.max_evaluations = 200;
    const auto result = quasi_newton(objective, b, lo, hi, h, options);
    EXPECT_EQ(b[2], 9.0);  // held: no gradient, no move
    for (const auto& p : objective.points) {
        EXPECT_GE(p[0], 0.0);
        EXPECT_LE(p[0], 2.0);
        EXPECT_EQ(p[2], 9.0);
    }
    EXPECT_NEAR(b[1], 2.0, 1e-3);
    EXPECT_EQ(result.f, shifted_quadratic(b));  // the returned point is the evaluated one
}

TEST(QuasiNewton, StartLimitComesFirst) {
    Recorded objective([](std::span<const double> x) { return x[0] * x[0] * 1e-40; });
    std::array<double, 1> b = {2e15};
    const std::array<double, 1> lo = {-1e20}, hi = {1e20};
    std::array<double, 1> h{};
    QuasiNewtonOptions options;
    options.start_limit = 1e15;
    options.max_evaluations = 1;
    quasi_newton(objective, b, lo, hi, h, options);
    EXPECT_EQ(objective.points[0][0], 1e15);
}

TEST(QuasiNewton, UncalledHelpers) {
    EXPECT_TRUE(isnanum(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(isnanum(1.0));
    EXPECT_TRUE(isinfty(std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(isinfty(-std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(isinfty(1e300));
    EXPECT_FALSE(isinfty(std::numeric_limits<double>::quiet_NaN()));
}

}  // namespace
}  // namespace imm
