// A quadratic program with simple bounds and general linear constraints, the
// work areas its active-set solver keeps between calls, and the solver itself.
//
//   minimise ½·x'Gx − q'x   subject to   BL ≤ x ≤ BU,   a_j'x ≥ b(j)
//
// Constraints are numbered from 1: 1..n the lower bounds, n+1..2n the upper
// bounds (normal −e_i), 2n+j the general constraint j (normal a_j, column j of A);
// the first `ke` general constraints are equalities.
#pragma once

#include <cstdint>

namespace imm {

struct QpProblem {
    std::int64_t n = 0;          // variables
    std::int64_t m = 0;          // constraints: the 2n bounds plus the general ones
    std::int64_t ke = 0;         // leading general constraints that are equalities
    const double* g = nullptr;   // G, column-major
    std::int64_t ldg = 0;
    const double* q = nullptr;   // linear term
    const double* a = nullptr;   // general constraint normals, column-major
    std::int64_t lda = 0;
    const double* b = nullptr;   // right-hand sides of the general constraints
    const double* bl = nullptr;  // lower bounds
    const double* bu = nullptr;  // upper bounds

    std::int64_t general_count() const { return m - 2 * n; }
    // Normal of constraint c dotted with v.
    double normal_dot(std::int64_t c, const double* v) const;
    // Component i of the normal of constraint c.
    double normal_entry(std::int64_t c, std::int64_t i) const;
    // Right-hand side of constraint c written as normal'x ≥ rhs.
    double rhs(std::int64_t c) const;
    // normal'x − rhs: negative when x violates constraint c.
    double residual(std::int64_t c, const double* x) const;
};

// Kept by the caller so that a later call can start warm from the active set.
// x:  7n reals; x[0..n) the point and on return the solution, x[6n..7n) the
//     gradient Gx − q at the solution, x[n + k] the objective value.
// w:  ldw × 2n reals (ldw ≥ 2n), the bordered inverse: rows 0..n−1 the reduced
//     inverse Hessian, row n+r the generalised inverse row of active entry r.
// iw: iw[0..k) the active list (constraint numbers), iw[2n + c − 1] the status of
//     constraint c: 1 inactive, 0 active inequality, −1 equality; 2n + m entries.
struct QpWorkspace {
    double* x = nullptr;
    double* w = nullptr;
    std::int64_t ldw = 0;
    std::int64_t* iw = nullptr;
    std::int64_t k = 0;  // entries of the active list
};

enum class QpStatus {
    solved,           // x is the minimiser for the active set in iw
    infeasible,       // no point satisfies the constraints (k = 0)
    iteration_limit,  // the iteration cap was reached
    singular,         // a matrix of the method is singular or the problem unbounded
};

inline constexpr std::int64_t kQpStatusInactive = 1;
inline constexpr std::int64_t kQpStatusActive = 0;
inline constexpr std::int64_t kQpStatusEquality = -1;
inline constexpr std::int64_t kQpStatusViolated = 2;

// Start modes: 1 cold start from a vertex, 2 cold start from a feasible point
// with no active constraint, 3 from the point in x with no active constraint,
// 4 (and above 5) rebuilt from the active list, 5 warm start reusing w unchanged.
QpStatus ve02ad(const QpProblem& p, QpWorkspace& ws, std::int64_t mode);

// Feasible point by a vertex method on the sum of infeasibilities; on success
// k = n, the active list describes the vertex and w[0..n) holds the inverse of
// its normals. k = 0 when no feasible point was found.
QpStatus la02ad(const QpProblem& p, QpWorkspace& ws);

// Multiplier of active entry `entry` (0-based) from the first `terms` components
// of the gradient at the solution: Σ x[6n+i]·w(n+entry, i).
double qp_multiplier(const QpWorkspace& ws, std::int64_t n, std::int64_t entry,
                     std::int64_t terms);

}  // namespace imm
