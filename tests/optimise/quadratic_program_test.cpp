#include "optimise/quadratic_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace imm {
namespace {

// A problem with its own storage and workspace.
struct Qp {
    std::int64_t n;
    std::vector<double> g, q, a, b, bl, bu;
    std::vector<double> x, w;
    std::vector<std::int64_t> iw;
    QpWorkspace ws;

    Qp(std::int64_t vars, std::vector<double> hessian, std::vector<double> linear, double lo,
       double hi)
        : n(vars), g(std::move(hessian)), q(std::move(linear)), bl(vars, lo), bu(vars, hi) {}

    // Adds the general constraint normal'x >= rhs.
    void constrain(std::vector<double> normal, double rhs) {
        a.insert(a.end(), normal.begin(), normal.end());
        b.push_back(rhs);
    }

    QpProblem problem() const {
        const auto general = static_cast<std::int64_t>(b.size());
        return QpProblem{.n = n,
                         .m = 2 * n + general,
                         .ke = 0,
                         .g = g.data(),
                         .ldg = n,
                         .q = q.data(),
                         .a = a.data(),
                         .lda = n,
                         .b = b.data(),
                         .bl = bl.data(),
                         .bu = bu.data()};
    }

    QpStatus solve(std::int64_t mode) {
        const QpProblem p = problem();
        if (x.empty()) {
            x.assign(static_cast<std::size_t>(7 * n), 0.0);
            w.assign(static_cast<std::size_t>(4 * n * n), 0.0);
            iw.assign(static_cast<std::size_t>(2 * n + p.m), 0);
            ws = QpWorkspace{.x = x.data(), .w = w.data(), .ldw = 2 * n, .iw = iw.data(), .k = 0};
        }
        return ve02ad(p, ws, mode);
    }

    // Multiplier of every constraint (0 when inactive).
    std::vector<double> multipliers() const {
        const QpProblem p = problem();
        std::vector<double> lambda(static_cast<std::size_t>(p.m), 0.0);
        for (std::int64_t k = 0; k < ws.k; ++k)
            lambda[static_cast<std::size_t>(iw[k] - 1)] = qp_multiplier(ws, n, k, n);
        return lambda;
    }

    // Largest component of Gx − q − Σ λ_c·normal_c.
    double kkt_residual() const {
        const QpProblem p = problem();
        const std::vector<double> lambda = multipliers();
        double worst = 0.0;
        for (std::int64_t i = 0; i < n; ++i) {
            double r = -q[i];
            for (std::int64_t j = 0; j < n; ++j) r += g[i + j * n] * x[j];
            for (std::int64_t c = 1; c <= p.m; ++c) r -= lambda[c - 1] * p.normal_entry(c, i);
            worst = std::max(worst, std::fabs(r));
        }
        return worst;
    }

    double objective() const {
        double f = 0.0;
        for (std::int64_t i = 0; i < n; ++i) {
            f -= q[i] * x[i];
            for (std::int64_t j = 0; j < n; ++j) f += 0.5 * x[i] * g[i + j * n] * x[j];
        }
        return f;
    }
};

TEST(QuadraticProgram, BoxedSeparableProblemEndsOnItsUpperBounds) {
    // min ½(x² + y²) − x − y on [0, 0.5]²
    Qp qp(2, {1, 0, 0, 1}, {1, 1}, 0.0, 0.5);
    ASSERT_EQ(qp.solve(1), QpStatus::solved);
    EXPECT_NEAR(qp.x[0], 0.5, 1e-12);
    EXPECT_NEAR(qp.x[1], 0.5, 1e-12);
    const std::vector<double> lambda = qp.multipliers();
    EXPECT_NEAR(lambda[2], 0.5, 1e-12);  // upper bound of x
    EXPECT_NEAR(lambda[3], 0.5, 1e-12);  // upper bound of y
    EXPECT_EQ(lambda[0], 0.0);
    EXPECT_NEAR(qp.x[static_cast<std::size_t>(2 + qp.ws.k)], -0.75, 1e-12);  // objective
    EXPECT_NEAR(qp.x[12], -0.5, 1e-12);  // gradient Gx − q
    EXPECT_NEAR(qp.x[13], -0.5, 1e-12);
}

TEST(QuadraticProgram, GeneralConstraintActiveAtTheMinimum) {
    // min ½x'Gx − q'x, G = [[2,1],[1,2]], q = (3,3), x + y ≥ 3: x = (1.5, 1.5), λ = 1.5
    for (std::int64_t mode : {1, 2}) {
        Qp qp(2, {2, 1, 1, 2}, {3, 3}, -10.0, 10.0);
        qp.constrain({1, 1}, 3.0);
        ASSERT_EQ(qp.solve(mode), QpStatus::solved) << mode;
        EXPECT_NEAR(qp.x[0], 1.5, 1e-12);
        EXPECT_NEAR(qp.x[1], 1.5, 1e-12);
        ASSERT_EQ(qp.ws.k, 1);
        EXPECT_EQ(qp.iw[0], 5);
        EXPECT_NEAR(qp.multipliers()[4], 1.5, 1e-12);
        EXPECT_EQ(qp.iw[2 * 2 + 5 - 1], kQpStatusActive);
    }
}

TEST(QuadraticProgram, StartsFromAFeasiblePointWithoutConstraints) {
    // Mode 3 starts at the given feasible point; the unconstrained minimiser (1, 1) is inside.
    Qp qp(2, {2, 1, 1, 2}, {3, 3}, -10.0, 10.0);
    qp.constrain({1, 1}, -3.0);
    qp.x.assign(14, 0.0);
    qp.w.assign(16, 0.0);
    qp.iw.assign(4 + 5, 0);
    qp.ws = QpWorkspace{.x = qp.x.data(), .w = qp.w.data(), .ldw = 4, .iw = qp.iw.data(), .k = 0};
    ASSERT_EQ(qp.solve(3), QpStatus::solved);
    EXPECT_NEAR(qp.x[0], 1.0, 1e-12);
    EXPECT_NEAR(qp.x[1], 1.0, 1e-12);
    EXPECT_EQ(qp.ws.k, 0);
}

TEST(QuadraticProgram, WarmAndRebuiltStartsReturnTheSameSolution) {
    Qp qp(3, {4, 1, 0, 1, 3, 1, 0, 1, 2}, {1, -2, 3}, -1.0, 1.0);
    qp.constrain({1, 1, 1}, 0.5);
    qp.constrain({1, -1, 0}, 0.2);
    ASSERT_EQ(qp.solve(1), QpStatus::solved);
    const std::vector<double> first(qp.x.begin(), qp.x.begin() + 3);
    const std::int64_t k = qp.ws.k;
    for (std::int64_t mode : {5, 4}) {
        ASSERT_EQ(qp.solve(mode), QpStatus::solved) << mode;
        EXPECT_EQ(qp.ws.k, k);
        for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(qp.x[i], first[i], 1e-12) << mode;
        EXPECT_LE(qp.kkt_residual(), 1e-12);
    }
}

TEST(QuadraticProgram, LowerNumberJoinsOnATiedBlock) {
    // From the origin towards (1, 0): x ≤ 0.5 twice blocks at one step.
    Qp qp(2, {1, 0, 0, 1}, {1, 0}, -10.0, 10.0);
    qp.constrain({-1, 0}, -0.5);
    qp.constrain({-1, 0}, -0.5);
    qp.x.assign(14, 0.0);
    qp.w.assign(16, 0.0);
    qp.iw.assign(4 + 6, 0);
    qp.ws = QpWorkspace{.x = qp.x.data(), .w = qp.w.data(), .ldw = 4, .iw = qp.iw.data(), .k = 0};
    ASSERT_EQ(qp.solve(3), QpStatus::solved);
    ASSERT_EQ(qp.ws.k, 1);
    EXPECT_EQ(qp.iw[0], 5);
    EXPECT_NEAR(qp.x[0], 0.5, 1e-15);
    EXPECT_NEAR(qp.multipliers()[4], 0.5, 1e-12);
}

TEST(QuadraticProgram, InfeasibleConstraintsGiveNoPoint) {
    Qp qp(2, {1, 0, 0, 1}, {0, 0}, 0.0, 1.0);
    qp.constrain({1, 1}, 3.0);
    EXPECT_EQ(qp.solve(1), QpStatus::infeasible);
    EXPECT_EQ(qp.ws.k, 0);
}

TEST(QuadraticProgram, SingularHessianIsAFailureStatus) {
    Qp qp(2, {0, 0, 0, 0}, {1, 1}, 0.0, 1.0);
    qp.x.assign(14, 0.5);
    qp.w.assign(16, 0.0);
    qp.iw.assign(8, 0);
    qp.ws = QpWorkspace{.x = qp.x.data(), .w = qp.w.data(), .ldw = 4, .iw = qp.iw.data(), .k = 0};
    EXPECT_EQ(qp.solve(3), QpStatus::singular);
}

TEST(QuadraticProgram, FlatDirectionEndsOnTheConstraintThatBlocksIt) {
    // min ½x² − y with x − y ≥ −1: no curvature in y; the minimum is (1, 2), λ = 1.
    Qp qp(2, {1, 0, 0, 0}, {0, 1}, -5.0, 5.0);
    qp.constrain({1, -1}, -1.0);
    ASSERT_EQ(qp.solve(1), QpStatus::solved);
    EXPECT_NEAR(qp.x[0], 1.0, 1e-12);
    EXPECT_NEAR(qp.x[1], 2.0, 1e-12);
    ASSERT_EQ(qp.ws.k, 1);
    EXPECT_NEAR(qp.multipliers()[4], 1.0, 1e-12);
    EXPECT_LE(qp.kkt_residual(), 1e-12);
}

TEST(QuadraticProgram, UnboundedDirectionIsAFailureStatus) {
    // No curvature in y and a linear term that pulls it beyond any reachable bound.
    Qp qp(2, {1, 0, 0, 0}, {0, 1}, -1e20, 1e20);
    EXPECT_EQ(qp.solve(1), QpStatus::singular);
}

TEST(QuadraticProgram, DuplicateConstraintsDoNotCycle) {
    // x + y ≥ 1 three times and y ≥ 0.2 twice, beside the bounds.
    Qp qp(2, {1, 0, 0, 1}, {0, -1}, -5.0, 5.0);
    for (int copy = 0; copy < 3; ++copy) qp.constrain({1, 1}, 1.0);
    qp.constrain({0, 1}, 0.2);
    qp.constrain({0, 1}, 0.2);
    ASSERT_EQ(qp.solve(1), QpStatus::solved);
    // min ½(x² + y²) + y with x + y ≥ 1, y ≥ 0.2: x = 0.8, y = 0.2
    EXPECT_NEAR(qp.x[0], 0.8, 1e-12);
    EXPECT_NEAR(qp.x[1], 0.2, 1e-12);
    const std::vector<double> lambda = qp.multipliers();
    EXPECT_NEAR(lambda[4] + lambda[5] + lambda[6], 0.8, 1e-12);
    EXPECT_NEAR(lambda[7] + lambda[8], 0.4, 1e-12);
    EXPECT_LE(qp.kkt_residual(), 1e-12);
}

TEST(QuadraticProgram, FeasiblePointPhaseGivesAVertex) {
    Qp qp(3, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}, -2.0, 2.0);
    qp.constrain({1, 1, 1}, 4.0);
    qp.constrain({1, -1, 0}, 1.0);
    qp.x.assign(21, 0.0);
    qp.w.assign(36, 0.0);
    qp.iw.assign(6 + 8, 0);
    qp.ws = QpWorkspace{.x = qp.x.data(), .w = qp.w.data(), .ldw = 6, .iw = qp.iw.data(), .k = 0};
    const QpProblem p = qp.problem();
    ASSERT_EQ(la02ad(p, qp.ws), QpStatus::solved);
    ASSERT_EQ(qp.ws.k, 3);
    for (std::int64_t c = 1; c <= p.m; ++c) EXPECT_GE(p.residual(c, qp.x.data()), -1e-12) << c;
    for (std::int64_t r = 0; r < 3; ++r) {
        EXPECT_NEAR(p.residual(qp.iw[r], qp.x.data()), 0.0, 1e-12);
        for (std::int64_t c = 0; c < 3; ++c) {
            double product = 0.0;
            for (std::int64_t i = 0; i < 3; ++i)
                product += qp.w[r + i * 6] * p.normal_entry(qp.iw[c], i);
            EXPECT_NEAR(product, r == c ? 1.0 : 0.0, 1e-12);
        }
    }
}

// ---- random problems against the enumeration of active sets ----

// Solves the dense system m·z = r (order k) by Gaussian elimination; false when singular.
bool solve_dense(std::vector<double> m, std::vector<double>& r, std::size_t k) {
    for (std::size_t c = 0; c < k; ++c) {
        std::size_t pivot = c;
        for (std::size_t i = c + 1; i < k; ++i)
            if (std::fabs(m[i + c * k]) > std::fabs(m[pivot + c * k])) pivot = i;
        if (std::fabs(m[pivot + c * k]) < 1e-12) return false;
        for (std::size_t j = 0; j < k; ++j) std::swap(m[c + j * k], m[pivot + j * k]);
        std::swap(r[c], r[pivot]);
        for (std::size_t i = c + 1; i < k; ++i) {
            const double f = m[i + c * k] / m[c + c * k];
            for (std::size_t j = c; j < k; ++j) m[i + j * k] -= f * m[c + j * k];
            r[i] -= f * r[c];
        }
    }
    for (std::size_t c = k; c-- > 0;) {
        for (std::size_t j = c + 1; j < k; ++j) r[c] -= m[c + j * k] * r[j];
        r[c] /= m[c + c * k];
    }
    return true;
}

// The minimiser by trying every active set of at most n constraints.
std::vector<double> enumerate_minimiser(const QpProblem& p) {
    const auto n = static_cast<std::size_t>(p.n);
    const auto m = static_cast<std::size_t>(p.m);
    std::vector<double> best;
    double best_f = INFINITY;
    for (std::size_t mask = 0; mask < (std::size_t{1} << m); ++mask) {
        std::vector<std::int64_t> set;
        for (std::size_t c = 0; c < m; ++c)
            if (mask >> c & 1) set.push_back(static_cast<std::int64_t>(c + 1));
        if (set.size() > n) continue;
        const std::size_t k = n + set.size();
        std::vector<double> kkt(k * k, 0.0), rhs(k, 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            rhs[i] = p.q[i];
            for (std::size_t j = 0; j < n; ++j) kkt[i + j * k] = p.g[i + j * n];
        }
        for (std::size_t s = 0; s < set.size(); ++s) {
            rhs[n + s] = p.rhs(set[s]);
            for (std::size_t i = 0; i < n; ++i) {
                const double a = p.normal_entry(set[s], static_cast<std::int64_t>(i));
                kkt[n + s + i * k] = a;
                kkt[i + (n + s) * k] = -a;
            }
        }
        if (!solve_dense(kkt, rhs, k)) continue;
        bool ok = true;
        for (std::size_t s = 0; s < set.size(); ++s) ok = ok && rhs[n + s] >= -1e-10;
        for (std::int64_t c = 1; c <= p.m; ++c) ok = ok && p.residual(c, rhs.data()) >= -1e-10;
        if (!ok) continue;
        double f = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            f -= p.q[i] * rhs[i];
            for (std::size_t j = 0; j < n; ++j) f += 0.5 * rhs[i] * p.g[i + j * n] * rhs[j];
        }
        if (f < best_f) {
            best_f = f;
            best.assign(rhs.begin(), rhs.begin() + static_cast<std::ptrdiff_t>(n));
        }
    }
    return best;
}

TEST(QuadraticProgram, RandomPositiveDefiniteProblemsMatchEnumeration) {
    std::mt19937_64 rng(20261208);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    int solved = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const std::int64_t n = 2 + trial % 3;
        const std::int64_t general = 1 + trial % 4;
        std::vector<double> l(static_cast<std::size_t>(n * n)), g(l.size(), 0.0), q;
        for (double& v : l) v = u(rng);
        for (std::int64_t i = 0; i < n; ++i)
            for (std::int64_t j = 0; j < n; ++j) {
                for (std::int64_t r = 0; r < n; ++r) g[i + j * n] += l[i + r * n] * l[j + r * n];
                if (i == j) g[i + j * n] += 0.3;
            }
        for (std::int64_t i = 0; i < n; ++i) q.push_back(3.0 * u(rng));
        Qp qp(n, g, q, 0.0, 0.0);
        std::vector<double> inside;
        for (std::int64_t i = 0; i < n; ++i) {
            inside.push_back(0.5 * u(rng));
            qp.bl[i] = inside.back() - 0.2 - std::fabs(u(rng));
            qp.bu[i] = inside.back() + 0.2 + std::fabs(u(rng));
        }
        for (std::int64_t j = 0; j < general; ++j) {
            std::vector<double> normal;
            double at_inside = 0.0;
            for (std::int64_t i = 0; i < n; ++i) {
                normal.push_back(u(rng));
                at_inside += normal.back() * inside[i];
            }
            qp.constrain(normal, at_inside - 0.3 * std::fabs(u(rng)));
        }
        const std::int64_t mode = trial % 2 == 0 ? 1 : 2;
        ASSERT_EQ(qp.solve(mode), QpStatus::solved) << trial;
        const std::vector<double> expected = enumerate_minimiser(qp.problem());
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(n)) << trial;
        for (std::int64_t i = 0; i < n; ++i) EXPECT_NEAR(qp.x[i], expected[i], 1e-9) << trial;
        EXPECT_LE(qp.kkt_residual(), 1e-9) << trial;
        for (double lambda : qp.multipliers()) EXPECT_GE(lambda, -1e-12) << trial;
        for (std::int64_t c = 1; c <= qp.problem().m; ++c)
            EXPECT_GE(qp.problem().residual(c, qp.x.data()), -1e-12) << trial;
        // Again warm, and from the inside point with no active constraint.
        ASSERT_EQ(qp.solve(5), QpStatus::solved) << trial;
        for (std::int64_t i = 0; i < n; ++i) EXPECT_NEAR(qp.x[i], expected[i], 1e-9) << trial;
        std::copy(inside.begin(), inside.end(), qp.x.begin());
        ASSERT_EQ(qp.solve(3), QpStatus::solved) << trial;
        for (std::int64_t i = 0; i < n; ++i) EXPECT_NEAR(qp.x[i], expected[i], 1e-9) << trial;
        EXPECT_LE(qp.kkt_residual(), 1e-9) << trial;
        ++solved;
    }
    EXPECT_EQ(solved, 300);
}

}  // namespace
}  // namespace imm
