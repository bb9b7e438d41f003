#include "optimise/sqp_subproblem.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "support/shared_blocks.h"

namespace imm {
namespace {

// Two parameters, B = I, constraints c(j) ≥ 0 with unit-vector gradients.
class SqpSubproblem : public ::testing::Test {
protected:
    void SetUp() override {
        limits = Limits{};
        resetw(state);
        state.hessian(0, 0) = 1.0;
        state.hessian(1, 1) = 1.0;
    }

    // Constraint j: sign·x(param) with value c.
    void constraint(std::int64_t j, std::int64_t param, double sign, double value) {
        c[j] = value;
        jacobian[param + j * kSqpHessianLd] = sign;
    }

    QpStatus solve(std::int64_t m, std::int64_t mode = 1) {
        info = -1;
        return qpsub(2, m, 0, g.data(), c.data(), jacobian.data(), StepBounds{lower.data(), upper.data()}, info,
                     mode, state);
    }

    VmconState state;
    std::array<double, 25> g{};
    std::array<double, 50> c{};
    std::array<double, 25 * 50> jacobian{};
    std::int64_t info = -1;
    // Free steps by default.
    std::array<double, 2> lower{-std::sqrt(4.5e15), -std::sqrt(4.5e15)};
    std::array<double, 2> upper{std::sqrt(4.5e15), std::sqrt(4.5e15)};
};

TEST_F(SqpSubproblem, FullStepWithTheFeasibilityVariableAtItsBound) {
    // Model 1 gives (x1, x2, x1 − lo1, x2 − lo2): two pairs of equal constraints.
    g = {-1.0, -2.0};
    constraint(0, 0, 1.0, 1.0);
    constraint(1, 1, 1.0, 2.0);
    constraint(2, 0, 1.0, 1.0);
    constraint(3, 1, 1.0, 2.0);
    for (std::int64_t mode : {1, 5}) {
        ASSERT_EQ(solve(4, mode), QpStatus::solved);
        EXPECT_EQ(info, 1);
        EXPECT_NEAR(state.qp_step()[0], 1.0, 1e-12);
        EXPECT_NEAR(state.qp_step()[1], 2.0, 1e-12);
        EXPECT_EQ(state.qp_step()[2], 1.0);
        for (std::int64_t j = 0; j < 4; ++j) EXPECT_EQ(state.multipliers[j], 0.0);
        // Satisfied constraints: right-hand side −c, no relaxation.
        EXPECT_EQ(state.qp_rhs[1], -2.0);
        EXPECT_EQ(jacobian[2 + 1 * kSqpHessianLd], 0.0);
        EXPECT_EQ(state.qp_lower[0], -std::sqrt(limits.big_bound));
        EXPECT_EQ(state.qp_upper[0], std::sqrt(limits.big_bound));
    }
}

TEST_F(SqpSubproblem, AStepLowersAParameterAsReadilyAsItRaisesIt) {
    g = {1.0, -2.0};
    constraint(0, 0, 1.0, 5.0);
    constraint(1, 1, 1.0, 2.0);
    ASSERT_EQ(solve(2), QpStatus::solved);
    EXPECT_EQ(info, 1);
    EXPECT_NEAR(state.qp_step()[0], -1.0, 1e-12);
    EXPECT_NEAR(state.qp_step()[1], 2.0, 1e-12);
}

TEST_F(SqpSubproblem, StepAtAFreeBoundIsCodeSixAtABoxBoundASolution) {
    constraint(0, 0, 1.0, 1e12);
    constraint(1, 1, 1.0, 2.0);
    // A step of −1e9 would run past the free bound −√big.
    g = {1e9, -2.0};
    ASSERT_EQ(solve(2), QpStatus::solved);
    EXPECT_EQ(info, 6);
    EXPECT_NEAR(state.qp_step()[0], -std::sqrt(limits.big_bound), 1e-6);

    // A box a quarter below x1: the step ends on it, the other component is free.
    g = {1.0, -2.0};
    lower[0] = -0.25;
    ASSERT_EQ(solve(2), QpStatus::solved);
    EXPECT_EQ(info, 1);
    EXPECT_NEAR(state.qp_step()[0], -0.25, 1e-12);
    EXPECT_NEAR(state.qp_step()[1], 2.0, 1e-12);
}

TEST_F(SqpSubproblem, ViolatedConstraintIsRelaxedAndGetsItsMultiplier) {
    // c1 = −0.5 < 0: s1 − 0.5·ξ ≥ 0 binds, with multiplier (Bs + g)(1) = 1.5.
    g = {1.0, -2.0};
    constraint(0, 0, 1.0, -0.5);
    constraint(1, 1, 1.0, 2.0);
    ASSERT_EQ(solve(2), QpStatus::solved);
    EXPECT_EQ(info, 1);
    EXPECT_NEAR(state.qp_step()[0], 0.5, 1e-12);
    EXPECT_NEAR(state.qp_step()[1], 2.0, 1e-12);
    EXPECT_EQ(state.qp_step()[2], 1.0);
    EXPECT_EQ(state.qp_rhs[0], 0.0);
    EXPECT_EQ(jacobian[2], -0.5);
    EXPECT_NEAR(state.multipliers[0], 1.5, 1e-12);
    EXPECT_EQ(state.multipliers[1], 0.0);
}

TEST_F(SqpSubproblem, FeasibilityVariableBelowItsBoundIsSolvedAgainLower) {
    // s1 ≥ ξ and s1 ≤ 0.5 keep ξ at 0.5; the second solve lowers its bound to 0.45.
    g = {-1.0, -1.0};
    constraint(0, 0, 1.0, -1.0);
    constraint(1, 0, -1.0, 0.5);
    constraint(2, 1, 1.0, 1.0);
    ASSERT_EQ(solve(3), QpStatus::solved);
    EXPECT_EQ(info, 1);
    EXPECT_NEAR(state.qp_upper[2], 0.45, 1e-12);
    EXPECT_NEAR(state.qp_step()[2], 0.45, 1e-12);
    EXPECT_NEAR(state.qp_step()[0], 0.5, 1e-12);
    EXPECT_NEAR(state.qp_step()[1], 1.0, 1e-12);
}

TEST_F(SqpSubproblem, FeasibilityVariableAtZeroIsCodeFive) {
    // s1 ≥ 1e24·ξ with s1 ≤ √big leaves ξ below machine epsilon.
    g = {-1.0, -1.0};
    constraint(0, 0, 1.0, -1e24);
    ASSERT_EQ(solve(1), QpStatus::solved);
    EXPECT_EQ(info, 5);
    EXPECT_LE(state.qp_step()[2], limits.machine_eps);
}

}  // namespace
}  // namespace imm
