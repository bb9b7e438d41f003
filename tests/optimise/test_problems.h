// Standard minimisation problems with known minima, shared by the tests of
// every optimiser.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string_view>

#include "optimise/objective.h"
#include "optimise/parameter_box.h"

namespace imm::test {

inline constexpr std::size_t kMaxTestDimension = 4;

struct TestProblem {
    std::string_view name;
    std::int64_t dimension;
    std::array<double, kMaxTestDimension> lower;
    std::array<double, kMaxTestDimension> upper;
    std::array<double, kMaxTestDimension> start;      // not the minimiser
    std::array<double, kMaxTestDimension> minimiser;
    double minimum;
    double (*function)(std::span<const double> x);

    ParameterBox box() const
    {
        ParameterBox b;
        b.lower.fill(-1e6);
        b.upper.fill(1e6);
        for (std::int64_t i = 0; i < dimension; ++i) {
            b.lower[static_cast<std::size_t>(i)] = lower[static_cast<std::size_t>(i)];
            b.upper[static_cast<std::size_t>(i)] = upper[static_cast<std::size_t>(i)];
        }
        return b;
    }
    std::span<const double> start_vector() const { return std::span(start).first(static_cast<std::size_t>(dimension)); }
};

// Sum of (x_i - c_i)^2 with c = (1, 2, 3, 4).
inline double shifted_sphere(std::span<const double> x)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double d = x[i] - static_cast<double>(i + 1);
        sum += d * d;
    }
    return sum;
}

inline double rosenbrock(std::span<const double> x)
{
    const double a = 1.0 - x[0];
    const double b = x[1] - x[0] * x[0];
    return a * a + 100.0 * b * b;
}

// (x + 1)^2 + (y - 2)^2 on [0, 4]^2: the minimum lies on the bound x = 0.
inline double bounded_paraboloid(std::span<const double> x)
{
    const double a = x[0] + 1.0;
    const double b = x[1] - 2.0;
    return a * a + b * b;
}

inline constexpr std::array<TestProblem, 3> kTestProblems{{
    {"shifted sphere", 4, {-10, -10, -10, -10}, {10, 10, 10, 10}, {2, 1, 2, 5}, {1, 2, 3, 4}, 0.0, shifted_sphere},
    {"Rosenbrock", 2, {-5, -5}, {5, 5}, {0.5, 2}, {1, 1}, 0.0, rosenbrock},
    {"bounded paraboloid", 2, {0, 0}, {4, 4}, {1, 1}, {0, 2}, 1.0, bounded_paraboloid},
}};

// A test problem as an objective, counting its evaluations.
class ProblemObjective : public Objective {
public:
    explicit ProblemObjective(const TestProblem& problem) : problem_(problem) {}
    double value(std::span<const double> x) override
    {
        ++evaluations;
        return problem_.function(x);
    }
    std::int64_t evaluations = 0;

private:
    const TestProblem& problem_;
};

}  // namespace imm::test
