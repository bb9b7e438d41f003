// State of the bounded SQP minimiser: its multipliers, merit weights, Hessian
// approximation and the quadratic subproblem with the solver's work areas.
// Owned by the caller, cleared by resetw before each bounded stage.
#pragma once

#include <array>
#include <cstdint>

namespace imm {

inline constexpr std::int64_t kSqpMaxVariables = 25;     // parameters plus the feasibility variable
inline constexpr std::int64_t kSqpMaxConstraints = 50;
inline constexpr std::int64_t kSqpHessianLd = 25;
inline constexpr std::int64_t kSqpWorkLd = 50;

struct VmconState {
    std::array<double, kSqpMaxConstraints> multipliers{};
    std::array<double, kSqpMaxConstraints> penalty_weights{};
    // The QP solver's vector work area (7 reals per QP variable); it begins with
    // the QP solution: the step s(0..n) and the feasibility variable s(n).
    std::array<double, 7 * kSqpMaxVariables> qp_x{};
    std::array<double, kSqpMaxVariables> lagrangian_grad{};
    std::array<double, kSqpMaxVariables> grad_change{};  // previous Lagrangian gradient, then y
    std::array<double, kSqpMaxVariables> start_point{};  // x0 of the line search, then B·s
    std::array<double, kSqpHessianLd * kSqpHessianLd> hessian_approx{};
    std::array<double, kSqpMaxVariables> qp_linear{};
    std::array<double, kSqpMaxConstraints> qp_rhs{};
    std::array<double, kSqpMaxVariables> qp_lower{};
    std::array<double, kSqpMaxVariables> qp_upper{};
    std::array<double, kSqpWorkLd * kSqpWorkLd> qp_work{};
    // The active list, then a status for each bound and general constraint.
    std::array<std::int64_t, 4 * kSqpMaxVariables + kSqpMaxConstraints> qp_active{};

    double* qp_step() { return qp_x.data(); }
    double& hessian(std::int64_t i, std::int64_t j) {
        return hessian_approx[static_cast<std::size_t>(i + j * kSqpHessianLd)];
    }
};

// Sets every field of the state to zero.
void resetw(VmconState& state);

}  // namespace imm
