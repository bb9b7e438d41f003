// Feasible-point phase of the quadratic-programming solver: from a vertex of
// the constraints, exchange active constraints until no constraint is violated.
#include <cmath>

#include "optimise/active_set.h"

namespace imm {

namespace {

constexpr double kInfiniteRatio = 1e24;
constexpr double kBorderGuard = 1e-6;

}  // namespace

QpStatus ActiveSet::feasible_vertex() {
    mark_list();
    if (k_ == 0) {
        bounds_vertex();
    } else {
        if (k_ < n_ && !complete_vertex()) {
            k_ = 0;
            return QpStatus::infeasible;
        }
        if (!invert_normals()) {
            k_ = 0;
            return QpStatus::singular;
        }
    }
    vertex_point();

    double* h = vec(1);
    double* d = vec(5);
    while (true) {
        if (!tick()) {
            k_ = 0;
            return QpStatus::iteration_limit;
        }
        // Violated constraints and the gradient of the sum of infeasibilities.
        for (std::int64_t i = 0; i < n_; ++i) h[i] = 0.0;
        bool violated = false;
        for (std::int64_t c = 1; c <= p_.m; ++c) {
            if (status(c) != kQpStatusInactive) continue;
            const double residual = p_.residual(c, x_);
            if (std::isnan(residual)) {
                k_ = 0;
                return QpStatus::infeasible;
            }
            if (residual < -kSmallestChange) {
                status(c) = kQpStatusViolated;
                violated = true;
                for (std::int64_t i = 0; i < n_; ++i) h[i] += p_.normal_entry(c, i);
            }
        }
        if (!violated) return QpStatus::solved;

        // Pricing: the active entry whose release most reduces the infeasibility.
        std::int64_t leaving = -1;
        double largest = 0.0;
        for (std::int64_t r = 0; r < k_; ++r) {
            if (status(entry(r)) == kQpStatusEquality) continue;
            const double sigma = sdotm(n_, w_row(r), ws_.ldw, h, 1);
            if (sigma > largest) {
                largest = sigma;
                leaving = r;
            }
        }
        if (leaving < 0) {
            k_ = 0;
            return QpStatus::infeasible;
        }
        for (std::int64_t i = 0; i < n_; ++i) d[i] = w(leaving, i);

        // Ratio test along the released direction.
        double violated_t = 0.0;
        std::int64_t violated_c = 0;
        double satisfied_t = kInfiniteRatio;
        std::int64_t satisfied_c = 0;
        for (std::int64_t c = 1; c <= p_.m; ++c) {
            const std::int64_t s = status(c);
            if (s != kQpStatusInactive && s != kQpStatusViolated) continue;
            status(c) = kQpStatusInactive;
            const double rate = p_.normal_dot(c, d);
            const double residual = p_.residual(c, x_);
            if (s == kQpStatusViolated) {
                if (rate > kSmallestChange && -residual / rate > violated_t) {
                    violated_t = -residual / rate;
                    violated_c = c;
                }
            } else if (rate < -kSmallestChange && residual / -rate < satisfied_t) {
                satisfied_t = residual / -rate;
                satisfied_c = c;
            }
        }
        const bool satisfied_enters =
            satisfied_c != 0 && (violated_c == 0 || satisfied_t <= violated_t);
        const std::int64_t entering = satisfied_enters ? satisfied_c : violated_c;
        const double t = satisfied_enters ? satisfied_t : violated_t;
        if (entering == 0) {
            k_ = 0;
            return QpStatus::infeasible;
        }

        // Exchange in the same list position.
        double* a = vec(2);
        double* v = vec(4);
        normal_into(entering, a);
        for (std::int64_t r = 0; r < k_; ++r) v[r] = sdotm(n_, w_row(r), ws_.ldw, a, 1);
        const double pivot = v[leaving];
        for (std::int64_t i = 0; i < n_; ++i) w(leaving, i) /= pivot;
        for (std::int64_t r = 0; r < k_; ++r) {
            if (r == leaving) continue;
            for (std::int64_t i = 0; i < n_; ++i) w(r, i) -= v[r] * w(leaving, i);
        }
        move(t, d);
        status(entry(leaving)) = kQpStatusInactive;
        status(entering) = kQpStatusActive;
        entry(leaving) = entering;
    }
}

// Constraint number of the bound of variable i nearer to the point.
std::int64_t ActiveSet::nearer_bound(std::int64_t i) {
    return p_.bu[i] - x_[i] < x_[i] - p_.bl[i] ? n_ + i + 1 : i + 1;
}

void ActiveSet::bounds_vertex() {
    for (std::int64_t j = 0; j < n_; ++j)
        for (std::int64_t i = 0; i < n_; ++i) w(i, j) = 0.0;
    for (std::int64_t i = 0; i < n_; ++i) {
        const std::int64_t c = nearer_bound(i);
        entry(i) = c;
        status(c) = kQpStatusActive;
        w(i, i) = c <= n_ ? 1.0 : -1.0;
    }
    k_ = n_;
}

// Adds bounds to the listed constraints until they form a vertex: each time the
// variable least represented in the span of the active normals.
bool ActiveSet::complete_vertex() {
    // Inverse of the Gram matrix of the listed normals in w(0..k, 0..k).
    for (std::int64_t s = 0; s < k_; ++s)
        for (std::int64_t r = 0; r < k_; ++r) {
            double sum = 0.0;
            for (std::int64_t i = 0; i < n_; ++i)
                sum += p_.normal_entry(entry(r), i) * p_.normal_entry(entry(s), i);
            w(r, s) = sum;
        }
    if (k_ == 1) {
        if (w(0, 0) == 0.0) return false;
        w(0, 0) = 1.0 / w(0, 0);
    } else if (mb01cd2(ws_.w, k_, ws_.ldw).status != MatrixStatus::ok) {
        return false;
    }
    // Projection onto the span of the normals in w(n..2n, 0..n).
    for (std::int64_t j = 0; j < n_; ++j)
        for (std::int64_t i = 0; i < n_; ++i) {
            double sum = 0.0;
            for (std::int64_t s = 0; s < k_; ++s)
                for (std::int64_t r = 0; r < k_; ++r)
                    sum += p_.normal_entry(entry(r), i) * w(r, s) * p_.normal_entry(entry(s), j);
            w(n_ + i, j) = sum;
        }
    double* weight = vec(3);
    double* given = vec(4);
    double* v = vec(2);
    for (std::int64_t i = 0; i < n_; ++i) {
        weight[i] = w(n_ + i, i);
        given[i] = 0.0;
    }
    while (k_ < n_) {
        std::int64_t chosen = -1;
        for (std::int64_t i = 0; i < n_; ++i)
            if (given[i] == 0.0 && weight[i] < 1.0 && (chosen < 0 || weight[i] < weight[chosen]))
                chosen = i;
        if (chosen < 0) return false;  // the listed constraints are dependent
        given[chosen] = 1.0;
        const std::int64_t c = nearer_bound(chosen);
        entry(k_) = c;
        status(c) = kQpStatusActive;
        ++k_;
        for (std::int64_t i = 0; i < n_; ++i) v[i] = (i == chosen ? 1.0 : 0.0) - w(n_ + i, chosen);
        const double divisor = v[chosen] + kBorderGuard;
        for (std::int64_t j = 0; j < n_; ++j)
            for (std::int64_t i = 0; i < n_; ++i) w(n_ + i, j) += v[i] * v[j] / divisor;
        for (std::int64_t i = 0; i < n_; ++i) weight[i] = w(n_ + i, i);
    }
    return true;
}

// w(0..n, 0..n) := inverse of the matrix whose column r is the normal of entry r.
bool ActiveSet::invert_normals() {
    for (std::int64_t r = 0; r < n_; ++r)
        for (std::int64_t i = 0; i < n_; ++i) w(i, r) = p_.normal_entry(entry(r), i);
    return mb01cd2(ws_.w, n_, ws_.ldw).status == MatrixStatus::ok;
}

void ActiveSet::vertex_point() {
    double* rhs = vec(2);
    for (std::int64_t r = 0; r < n_; ++r) rhs[r] = p_.rhs(entry(r));
    for (std::int64_t i = 0; i < n_; ++i) x_[i] = sdotm(n_, &w(0, i), 1, rhs, 1);
}

}  // namespace imm
