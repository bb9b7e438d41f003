// Standard minimisation problems with known minima, shared by the tests of
// every optimiser.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string_view>

#include "model/models.h"
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
    void (*load)() = nullptr;  // puts the problem's data into the shared blocks

    void prepare() const
    {
        if (load != nullptr) {
            load();
        }
    }

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

// Model 1 (product against time) with Km = 2 and Vm = 1: three curves,
// [So] = 1, 4 and 10, eight times each.
inline void load_michaelis_menten()
{
    a1.nmdl = 1;
    a3.ndata = 24;
    a3.weight_mode = 0;
    const std::array<double, 2> truth{2.0, 1.0};
    const std::array<double, 3> substrate{1.0, 4.0, 10.0};
    std::size_t row = 0;
    for (const double so : substrate) {
        for (int i = 1; i <= 8; ++i) {
            a1.t[row] = static_cast<double>(i);
            a1.so[row] = so;
            a1.yobs[row] = func(a1.t[row], so, 0.0, truth);
            ++row;
        }
    }
}

// Unweighted sum of squares of the loaded model over the loaded rows.
inline double michaelis_menten(std::span<const double> x)
{
    double sum = 0.0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(a3.ndata); ++k) {
        const double r = a1.yobs[k] - func(a1.t[k], a1.so[k], a1.yobs[k], x);
        sum += r * r;
    }
    return sum;
}

inline constexpr std::array<TestProblem, 4> kTestProblems{{
    {"shifted sphere", 4, {-10, -10, -10, -10}, {10, 10, 10, 10}, {2, 1, 2, 5}, {1, 2, 3, 4}, 0.0, shifted_sphere},
    {"Rosenbrock", 2, {-5, -5}, {5, 5}, {0.5, 2}, {1, 1}, 0.0, rosenbrock},
    {"bounded paraboloid", 2, {0, 0}, {4, 4}, {1, 1}, {0, 2}, 1.0, bounded_paraboloid},
    {"Michaelis-Menten", 2, {0, 0}, {150, 80}, {1.5, 0.8}, {2, 1}, 0.0, michaelis_menten, load_michaelis_menten},
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
