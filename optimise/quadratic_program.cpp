#include "optimise/quadratic_program.h"

#include "optimise/active_set.h"

namespace imm {

double QpProblem::normal_dot(std::int64_t c, const double* v) const {
    if (c <= n) return v[c - 1];
    if (c <= 2 * n) return -v[c - n - 1];
    return sdotm(n, a + (c - 2 * n - 1) * lda, 1, v, 1);
}

double QpProblem::normal_entry(std::int64_t c, std::int64_t i) const {
    if (c <= n) return c - 1 == i ? 1.0 : 0.0;
    if (c <= 2 * n) return c - n - 1 == i ? -1.0 : 0.0;
    return a[(c - 2 * n - 1) * lda + i];
}

double QpProblem::rhs(std::int64_t c) const {
    if (c <= n) return bl[c - 1];
    if (c <= 2 * n) return -bu[c - n - 1];
    return b[c - 2 * n - 1];
}

double QpProblem::residual(std::int64_t c, const double* v) const {
    if (c <= n) return v[c - 1] - bl[c - 1];
    if (c <= 2 * n) return bu[c - n - 1] - v[c - n - 1];
    return normal_dot(c, v) - b[c - 2 * n - 1];
}

double qp_multiplier(const QpWorkspace& ws, std::int64_t n, std::int64_t entry,
                     std::int64_t terms) {
    return sdotm(terms, ws.x + 6 * n, 1, ws.w + n + entry, ws.ldw);
}

QpStatus ve02ad(const QpProblem& p, QpWorkspace& ws, std::int64_t mode) {
    ActiveSet set(p, ws);
    return set.solve(mode);
}

QpStatus la02ad(const QpProblem& p, QpWorkspace& ws) {
    ActiveSet set(p, ws);
    return set.feasible_vertex();
}

}  // namespace imm
