#include "optimise/sqp_minimiser.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "model/models.h"
#include "optimise/calcfg.h"
#include "optimise/parameter_box.h"
#include "support/shared_blocks.h"

namespace imm {
namespace {

// f = ½(x − x*)'H(x − x*) with the constraints (x1, .., xn, x1, .., xn) ≥ 0,
// duplicated as the model objective gives them.
class BoundedQuadratic : public ConstrainedObjective {
public:
    BoundedQuadratic(std::int64_t n, std::array<double, 9> h, std::array<double, 3> minimum)
        : n_(n), h_(h), minimum_(minimum) {}

    double value(std::span<const double> x) override {
        ObjectiveDerivatives d;
        return evaluate(x, d);
    }

    double evaluate(std::span<const double> x, ObjectiveDerivatives& d) override {
        ++evaluations;
        d = ObjectiveDerivatives{};
        double f = 0.0;
        for (std::int64_t i = 0; i < n_; ++i) {
            double hx = 0.0;
            for (std::int64_t j = 0; j < n_; ++j) hx += h_[i + 3 * j] * (x[j] - minimum_[j]);
            d.gradient[i] = hx;
            f += 0.5 * (x[i] - minimum_[i]) * hx;
            d.constraints[i] = x[i];
            d.constraints[n_ + i] = x[i];
            d.jacobian(i, i) = 1.0;
            d.jacobian(i, n_ + i) = 1.0;
        }
        return f + offset;
    }

    std::int64_t evaluations = 0;
    double offset = 0.0;

private:
    std::int64_t n_;
    std::array<double, 9> h_;
    std::array<double, 3> minimum_;
};

class SqpMinimiser : public ::testing::Test {
protected:
    void SetUp() override {
        a1 = DataBlock{};
        a2 = ConstraintCounts{};
        limits = Limits{};
        resetw(state);
    }

    SqpResult run(ConstrainedObjective& f, std::int64_t n, std::array<double, 3> start) {
        a2.constraint_count = 2 * n;
        x.fill(0.0);
        std::copy_n(start.begin(), n, x.begin());
        const double eps = limits.machine_eps;
        options.parameter_count = n;
        options.tolerance = 10.0 * (2.0 * std::sqrt(eps) * (std::sqrt(eps) + 1.0));
        return vmcon(f, options, x, derivatives, state);
    }

    VmconState state;
    SqpOptions options;
    std::array<double, kMaxParams> x{};
    ObjectiveDerivatives derivatives;
};

TEST_F(SqpMinimiser, ReachesTheMinimumOfBoundedQuadraticsFromBelow) {
    // The measure stops the search once the predicted decrease falls to the
    // tolerance (about 3e-7), so x is within about 1e-3 of the minimum.
    struct Case {
        std::int64_t model;
        std::array<double, 9> h;
        std::array<double, 3> minimum;
        std::array<double, 3> start;
    };
    const Case cases[] = {
        {1, {2, 0.5, 0, 0.5, 4, 0, 0, 0, 0}, {3, 5, 0}, {1, 2, 0}},
        {4, {1, 0, 0, 0, 1, 0, 0, 0, 0}, {0.7, 0.2, 0}, {0.1, 0.1, 0}},
    };
    for (const Case& c : cases) {
        SetUp();
        a1.nmdl = c.model;
        BoundedQuadratic f(2, c.h, c.minimum);
        const SqpResult r = run(f, 2, c.start);
        SCOPED_TRACE(testing::Message() << "model " << c.model << " info " << r.info);
        EXPECT_EQ(r.info, kSqpConverged);
        EXPECT_LE(r.convergence_measure, options.tolerance);
        for (std::int64_t i = 0; i < 2; ++i) EXPECT_NEAR(x[i], c.minimum[i], 1e-3);
        EXPECT_LT(r.f, 1e-6);
        EXPECT_GT(r.iterations, 2);
        EXPECT_LT(r.iterations, options.iteration_limit);
    }
}

TEST_F(SqpMinimiser, StepsThatOvershootComeBack) {
    // The first quasi-Newton steps overshoot x1 and x2; later steps lower them
    // again, to the minimum.
    BoundedQuadratic f(3, {3, 1, 0, 1, 2, 0.5, 0, 0.5, 1}, {2, 1, 4});
    const SqpResult r = run(f, 3, {1.5, 0.5, 3});
    EXPECT_EQ(r.info, kSqpConverged);
    EXPECT_NEAR(x[0], 2.0, 1e-3);
    EXPECT_NEAR(x[1], 1.0, 1e-3);
    EXPECT_NEAR(x[2], 4.0, 1e-3);
    EXPECT_LT(r.f, 1e-6);
}

TEST_F(SqpMinimiser, TheExactHessianGivesNewtonSteps) {
    // Each accepted step is half the subproblem's; with the exact Hessian the
    // distance to the minimum halves at every iteration, from the first.
    const std::array<double, 9> h{3, 1, 0, 1, 2, 0.5, 0, 0.5, 1};
    BoundedQuadratic f(3, h, {2, 1, 4});
    options.initial_hessian = h;
    options.iteration_limit = 12;
    run(f, 3, {1.5, 0.5, 3});
    const double distance = std::hypot(x[0] - 2.0, x[1] - 1.0, x[2] - 4.0);
    EXPECT_NEAR(distance, std::hypot(0.5, 0.5, 1.0) / 4096.0, 1e-6);
}

TEST_F(SqpMinimiser, ABoxHoldsEveryStep) {
    // The minimum (2, 1, 4) lies outside the box in x3: the search ends on the
    // bound x3 = 3.5 with x1 and x2 at their best for it, never leaving the box.
    BoundedQuadratic f(3, {3, 1, 0, 1, 2, 0.5, 0, 0.5, 1}, {2, 1, 4});
    ParameterBox box;
    box.lower = {0.0, 0.0, 0.0};
    box.upper = {10.0, 10.0, 3.5};
    options.box = box;
    const SqpResult r = run(f, 3, {1.5, 0.5, 3});
    EXPECT_EQ(r.info, kSqpConverged);
    EXPECT_LE(x[2], 3.5);
    EXPECT_NEAR(x[2], 3.5, 1e-6);
    // x1, x2 minimise f with x3 fixed: H12 (x - x*) = -H13 (x3 - x3*).
    EXPECT_NEAR(x[0], 2.0 - 0.05, 1e-3);
    EXPECT_NEAR(x[1], 1.0 + 0.15, 1e-3);
}

TEST_F(SqpMinimiser, NeverEndsAboveFiveTimesTheStartValue) {
    // A value that is not a number at the end gives back the start point.
    class NanAtEnd : public BoundedQuadratic {
    public:
        using BoundedQuadratic::BoundedQuadratic;
        double evaluate(std::span<const double> x, ObjectiveDerivatives& d) override {
            const double f = BoundedQuadratic::evaluate(x, d);
            return evaluations > 3 ? std::numeric_limits<double>::quiet_NaN() : f;
        }
    };
    NanAtEnd f(2, {1, 0, 0, 0, 1, 0, 0, 0, 0}, {3, 5, 0});
    const SqpResult r = run(f, 2, {1, 2, 0});
    EXPECT_EQ(x[0], 1.0);
    EXPECT_EQ(x[1], 2.0);
    EXPECT_DOUBLE_EQ(r.f, 0.5 * (4.0 + 9.0));
}

TEST_F(SqpMinimiser, IterationLimitIsCompletionCodeTwo) {
    BoundedQuadratic f(2, {2, 0.5, 0, 0.5, 4, 0, 0, 0, 0}, {3, 5, 0});
    options.iteration_limit = 1;
    const SqpResult r = run(f, 2, {1, 2, 0});
    EXPECT_EQ(r.info, kSqpIterationLimit);
    EXPECT_EQ(r.iterations, 2);
    EXPECT_LE(r.f, 0.5 * (2 * 4 + 4 * 9 + 2 * 0.5 * 6));
}

// Value Σ(x − 1)² + 1 with a gradient that always points away from the minimum.
class MisleadingGradient : public BoundedQuadratic {
public:
    MisleadingGradient() : BoundedQuadratic(2, {2, 0, 0, 0, 2, 0, 0, 0, 0}, {1, 1, 0}) {}
    double evaluate(std::span<const double> x, ObjectiveDerivatives& d) override {
        const double f = BoundedQuadratic::evaluate(x, d);
        d.gradient[0] = gradient;
        d.gradient[1] = gradient;
        return f + 1.0;
    }
    double gradient = -1.0;
};

TEST_F(SqpMinimiser, LineSearchEndsWithoutATolerance) {
    // Every trial point is worse and the tolerance is zero: only the cap on
    // trials ends the first line search.
    MisleadingGradient f;
    options.tolerance = 0.0;
    a2.constraint_count = 4;
    x.fill(0.0);
    x[0] = 1.0;
    x[1] = 1.0;
    options.parameter_count = 2;
    const SqpResult r = vmcon(f, options, x, derivatives, state);
    EXPECT_EQ(r.info, kSqpLineSearchLimit);
    EXPECT_EQ(r.iterations, 1);
    EXPECT_LT(f.evaluations, 70);
    EXPECT_LE(r.f, 1.0 + 1e-12);
}

TEST_F(SqpMinimiser, GradientThatIsNotANumberEndsWithCodeFour) {
    MisleadingGradient f;
    f.gradient = std::numeric_limits<double>::quiet_NaN();
    const SqpResult r = run(f, 2, {1, 1, 0});
    EXPECT_EQ(r.info, kSqpNotDownhill);
    EXPECT_EQ(r.iterations, 1);
    EXPECT_EQ(r.convergence_measure, limits.big_bound);
    EXPECT_EQ(x[0], 1.0);
    EXPECT_EQ(r.f, 1.0);
}

TEST_F(SqpMinimiser, SubproblemWithoutAFeasiblePointEndsWithCodeFive) {
    // A constraint value that is not a number leaves the subproblem no feasible point.
    class NanConstraint : public BoundedQuadratic {
    public:
        using BoundedQuadratic::BoundedQuadratic;
        double evaluate(std::span<const double> x, ObjectiveDerivatives& d) override {
            const double f = BoundedQuadratic::evaluate(x, d);
            d.constraints[1] = std::numeric_limits<double>::quiet_NaN();
            return f;
        }
    };
    NanConstraint f(2, {1, 0, 0, 0, 1, 0, 0, 0, 0}, {3, 5, 0});
    const SqpResult r = run(f, 2, {1, 2, 0});
    EXPECT_EQ(r.info, kSqpSubproblemFailed);
    EXPECT_EQ(r.iterations, 1);
    EXPECT_EQ(r.convergence_measure, limits.big_bound);
    EXPECT_EQ(x[0], 1.0);
    EXPECT_EQ(x[1], 2.0);
}

TEST_F(SqpMinimiser, ResetClearsTheState) {
    BoundedQuadratic f(2, {1, 0, 0, 0, 1, 0, 0, 0, 0}, {3, 5, 0});
    run(f, 2, {1, 2, 0});
    resetw(state);
    for (double v : state.hessian_approx) EXPECT_EQ(v, 0.0);
    for (double v : state.multipliers) EXPECT_EQ(v, 0.0);
    for (std::int64_t v : state.qp_active) EXPECT_EQ(v, 0);
}

// Progress curves of `model` with Km = 2, Vm = 1 and a third parameter of 0.3,
// with a fixed small disturbance: three curves of eight rows.
void load_curves(std::int64_t model) {
    a1 = DataBlock{};
    a1.nmdl = model;
    a2.model_limit = 6;
    a3.ndata = 24;
    a3.weight_mode = 0;
    a3.nparam = model == 1 || model == 4 ? 2 : 3;
    global_types.idat = 24;
    const std::array<double, 3> truth{2.0, 1.0, 0.3};
    const std::array<double, 3> substrate{1.0, 4.0, 10.0};
    std::size_t row = 0;
    for (const double so : substrate)
        for (int i = 1; i <= 8; ++i) {
            a1.t[row] = static_cast<double>(i);
            a1.so[row] = so;
            a1.yobs[row] = func(a1.t[row], so, 0.0, truth) +
                           0.01 * static_cast<double>(static_cast<int>(row % 7) - 3);
            ++row;
        }
}

// Started 4% off the generating parameters in every direction, above or below.
TEST_F(SqpMinimiser, MichaelisMentenFitNeverEndsWorseThanItStarted) {
    for (std::int64_t model = 1; model <= 6; ++model) {
        load_curves(model);
        const std::int64_t n = model == 1 || model == 4 ? 2 : 3;
        for (int corner = 0; corner < (1 << n); ++corner) {
            resetw(state);
            std::array<double, 3> start{2.0, 1.0, 0.3};
            for (std::int64_t i = 0; i < n; ++i) start[i] *= corner >> i & 1 ? 1.04 : 0.96;
            Calcfg calcfg;
            const double f_start = calcfg.value(std::span<const double>(start.data(), n));
            ObjectiveDerivatives d;
            calcfg.evaluate(std::span<const double>(start.data(), n), d);  // sets the counts of a2
            x.fill(0.0);
            std::copy_n(start.begin(), n, x.begin());
            options.parameter_count = n;
            options.tolerance =
                10.0 * (2.0 * std::sqrt(limits.machine_eps) * (std::sqrt(limits.machine_eps) + 1.0));
            const SqpResult r = vmcon(calcfg, options, x, derivatives, state);
            SCOPED_TRACE(testing::Message() << "model " << model << " corner " << corner << " info "
                                            << r.info << " iterations " << r.iterations);
            EXPECT_LT(r.f, 0.2 * f_start);
            EXPECT_EQ(r.f, calcfg.value(std::span<const double>(x.data(), n)));
            EXPECT_GE(r.info, 1);
            EXPECT_LE(r.info, 6);
            for (std::int64_t i = 0; i < 2; ++i) EXPECT_GT(x[i], 0.0);
        }
    }
}

}  // namespace
}  // namespace imm
