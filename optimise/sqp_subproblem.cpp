#include "optimise/sqp_subproblem.h"

#include <cmath>

#include "support/shared_blocks.h"

namespace imm {

QpStatus qpsub(std::int64_t n, std::int64_t m, std::int64_t me, const double* g, const double* c,
               double* jacobian, StepBounds bounds, std::int64_t& info, std::int64_t mode, VmconState& state) {
    const std::int64_t nv = n + 1;
    const std::int64_t xi_upper_bound = 2 * nv;  // constraint number of ξ ≤ upper
    const double big = limits.big_bound;
    const double eps = limits.machine_eps;
    double* s = state.qp_step();
    std::int64_t active_count = 0;

    if (info <= 1) {
        info = 1;
        for (std::int64_t i = 0; i < n; ++i) {
            state.qp_lower[i] = bounds.lower[i];
            state.qp_upper[i] = bounds.upper[i];
            s[i] = 0.0;
        }
        state.qp_lower[n] = 0.0;
        state.qp_upper[n] = 1.0;
        s[n] = 1.0;
        for (std::int64_t j = 0; j < me; ++j) state.qp_active[j] = 2 * nv + j + 1;
        state.qp_active[me] = xi_upper_bound;
        active_count = me + 1;
        state.qp_linear[n] = big;
        for (std::int64_t i = 0; i < nv; ++i) {
            state.hessian(i, n) = 0.0;
            state.hessian(n, i) = 0.0;
        }
    }
    for (std::int64_t i = 0; i < n; ++i) state.qp_linear[i] = -g[i];
    state.qp_linear[n] = big;
    for (std::int64_t j = 0; j < m; ++j) {
        state.multipliers[j] = 0.0;
        if (c[j] < 0.0 || j < me) {
            state.qp_rhs[j] = 0.0;
            jacobian[n + j * kSqpHessianLd] = c[j];
        } else {
            state.qp_rhs[j] = -c[j];
            jacobian[n + j * kSqpHessianLd] = 0.0;
        }
    }
    state.qp_upper[n] = 1.0;

    const QpProblem problem{.n = nv,
                            .m = 2 * nv + m,
                            .ke = me,
                            .g = state.hessian_approx.data(),
                            .ldg = kSqpHessianLd,
                            .q = state.qp_linear.data(),
                            .a = jacobian,
                            .lda = kSqpHessianLd,
                            .b = state.qp_rhs.data(),
                            .bl = state.qp_lower.data(),
                            .bu = state.qp_upper.data()};
    QpWorkspace work{.x = state.qp_x.data(),
                     .w = state.qp_work.data(),
                     .ldw = kSqpWorkLd,
                     .iw = state.qp_active.data(),
                     .k = active_count};
    // −1 until the first solve: without ξ at its upper bound, lower that bound and solve again.
    std::int64_t xi_bound_flag = -1;
    while (true) {
        const QpStatus solved = ve02ad(problem, work, mode);
        if (solved != QpStatus::solved) {
            info = 5;
            return solved;
        }
        if (s[n] <= eps) {
            info = 5;
            return solved;
        }
        for (std::int64_t k = 0; k < work.k; ++k) {
            const std::int64_t c = state.qp_active[k];
            if (c < xi_upper_bound) {
                // Constraints 1..nv are the lower bounds, nv+1..2nv the upper ones.
                const double bound = c <= nv ? state.qp_lower[c - 1] : state.qp_upper[c - nv - 1];
                if (std::fabs(bound) >= std::sqrt(big)) {
                    info = 6;
                    return solved;
                }
            }
            if (c == xi_upper_bound) xi_bound_flag = 1;
        }
        if (xi_bound_flag > 0) {
            for (std::int64_t k = 0; k < work.k; ++k) {
                const std::int64_t j = state.qp_active[k] - 2 * nv;
                if (j >= 1) state.multipliers[j - 1] += qp_multiplier(work, nv, k, n);
            }
            return solved;
        }
        if (xi_bound_flag == 0) {
            info = 5;
            return solved;
        }
        state.qp_upper[n] = 0.9 * s[n];
        xi_bound_flag = 0;
    }
}

}  // namespace imm
