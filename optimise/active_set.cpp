#include "optimise/active_set.h"

#include <cmath>
#include <utility>

#include "model/matrix_balance.h"

namespace imm {

namespace {

constexpr double kInfinite = 1e16;
constexpr double kRelativeTie = 1e-15;

}  // namespace

// Steps of one call, far beyond what a problem without degenerate cycles needs.
ActiveSet::ActiveSet(const QpProblem& p, QpWorkspace& ws)
    : p_(p), ws_(ws), n_(p.n), k_(ws.k), x_(ws.x), step_limit_(20 * (p.n + p.m) + 50) {}

// ---- starts ----

QpStatus ActiveSet::solve(std::int64_t mode) {
    if (auto finished = start(mode)) return *finished;
    return iterate(mode);
}

std::optional<QpStatus> ActiveSet::start(std::int64_t& mode) {
    if (mode == 1 || mode == 2) return cold_start(mode);
    if (mode == 3) {
        k_ = 0;
        mark_list();
        return invert_hessian();
    }
    if (mode == 5) {
        mark_list();
        form_point();
    } else if (auto finished = rebuild()) {
        return finished;
    }
    if (inactive_satisfied()) return std::nullopt;
    mode = 1;
    return cold_start(mode);
}

std::optional<QpStatus> ActiveSet::cold_start(std::int64_t mode) {
    QpStatus found = feasible_vertex();
    if (found != QpStatus::solved) return found;
    if (mode == 2) {
        k_ = 0;
        mark_list();
        return invert_hessian();
    }
    for (std::int64_t j = 0; j < n_; ++j)
        for (std::int64_t i = 0; i < n_; ++i) {
            w(n_ + i, j) = w(i, j);
            w(i, j) = 0.0;
        }
    return std::nullopt;
}

std::optional<QpStatus> ActiveSet::invert_hessian() {
    for (std::int64_t j = 0; j < n_; ++j)
        for (std::int64_t i = 0; i < n_; ++i) w(i, j) = p_.g[i + j * p_.ldg];
    balance(ws_.w, n_, ws_.ldw);
    if (mb01bd(ws_.w, n_, ws_.ldw).status != MatrixStatus::ok) return QpStatus::singular;
    return std::nullopt;
}

// Bordered matrix [G N; N' 0] of the active list, inverted in place.
std::optional<QpStatus> ActiveSet::rebuild() {
    mark_list();
    if (p_.ke != 0) {
        store_gradient_and_objective();
        return QpStatus::solved;
    }
    const std::int64_t order = n_ + k_;
    for (std::int64_t j = 0; j < order; ++j)
        for (std::int64_t i = 0; i < order; ++i) w(i, j) = 0.0;
    for (std::int64_t j = 0; j < n_; ++j)
        for (std::int64_t i = 0; i < n_; ++i) w(i, j) = p_.g[i + j * p_.ldg];
    for (std::int64_t r = 0; r < k_; ++r)
        for (std::int64_t i = 0; i < n_; ++i) {
            const double a = p_.normal_entry(entry(r), i);
            w(n_ + r, i) = a;
            w(i, n_ + r) = a;
        }
    balance(ws_.w, order, ws_.ldw);
    if (mb01bd(ws_.w, order, ws_.ldw).status != MatrixStatus::ok) return QpStatus::singular;
    form_point();
    return std::nullopt;
}

void ActiveSet::mark_list() {
    for (std::int64_t c = 1; c <= p_.m; ++c) status(c) = kQpStatusInactive;
    for (std::int64_t r = 0; r < k_; ++r)
        status(entry(r)) = r < p_.ke ? kQpStatusEquality : kQpStatusActive;
}

// x = W'·(q, right-hand sides of the active list).
void ActiveSet::form_point() {
    double* rhs = vec(1);
    for (std::int64_t i = 0; i < n_; ++i) rhs[i] = p_.q[i];
    for (std::int64_t r = 0; r < k_; ++r) rhs[n_ + r] = p_.rhs(entry(r));
    for (std::int64_t i = 0; i < n_; ++i) x_[i] = sdotm(n_ + k_, &w(0, i), 1, rhs, 1);
}

bool ActiveSet::inactive_satisfied() {
    for (std::int64_t c = 1; c <= p_.m; ++c)
        if (status(c) == kQpStatusInactive && !(p_.residual(c, x_) >= 0.0)) return false;
    return true;
}

// ---- iterations ----

QpStatus ActiveSet::iterate(std::int64_t mode) {
    bool refined = false;
    next_ = Next::reduced_step;
    while (true) {
        if (!tick()) return QpStatus::iteration_limit;
        if (next_ == Next::reduced_step) {
            if (auto failed = reduced_step()) return *failed;
            continue;
        }
        store_gradient_and_objective();
        if (k_ == 0) return QpStatus::solved;
        // Largest negated multiplier; the first of equal values wins.
        std::int64_t chosen = -1;
        double largest = -kInfinite;
        for (std::int64_t r = 0; r < k_; ++r) {
            if (status(entry(r)) == kQpStatusEquality) continue;
            const double lambda = -sdotm(n_, w_row(n_ + r), ws_.ldw, vec(6), 1);
            if (lambda > largest * (1.0 + kRelativeTie)) {
                largest = lambda;
                chosen = r;
            }
        }
        if (chosen < 0 || largest <= 0.0) {
            if (mode > 3 || refined) return QpStatus::solved;
            refined = true;
            std::int64_t rebuilt = 4;
            if (auto finished = start(rebuilt)) return *finished;
            next_ = Next::reduced_step;
            continue;
        }
        if (auto failed = drop(chosen, largest)) return *failed;
    }
}

// Step to the minimiser on the current active set, or to the first constraint in the way.
std::optional<QpStatus> ActiveSet::reduced_step() {
    next_ = Next::multiplier_test;
    if (k_ >= n_) return std::nullopt;
    double* gamma = vec(1);
    double* d = vec(5);
    gradient_into(gamma);
    bool moves = false;
    for (std::int64_t i = 0; i < n_; ++i) {
        d[i] = -sdotm(n_, w_row(i), ws_.ldw, gamma, 1);
        if (d[i] != 0.0) moves = true;
    }
    if (!moves) return std::nullopt;
    const Block block = ratio_test(d);
    if (block.step >= 1.0) {
        move(1.0, d);
        return std::nullopt;
    }
    move(block.step, d);
    status(block.constraint) = kQpStatusActive;
    if (!add_update(block.constraint)) return QpStatus::singular;
    next_ = Next::reduced_step;
    return std::nullopt;
}

// Leaves active entry `chosen` along its row of the inverse.
std::optional<QpStatus> ActiveSet::drop(std::int64_t chosen, double lambda) {
    status(entry(chosen)) = kQpStatusInactive;
    bool reformed = false;
    while (true) {
        double* gr = vec(1);
        double* r = vec(2);
        double* d = vec(5);
        if (reformed) {
            if (!tick()) return QpStatus::iteration_limit;
            gradient_into(vec(6));
            lambda = -sdotm(n_, w_row(n_ + chosen), ws_.ldw, vec(6), 1);
        }
        for (std::int64_t i = 0; i < n_; ++i) r[i] = w(n_ + chosen, i);
        for (std::int64_t i = 0; i < n_; ++i) gr[i] = sdotm(n_, p_.g + i, p_.ldg, r, 1);
        const double kappa = sdotm(n_, r, 1, gr, 1);
        if (reformed && lambda <= 0.0) {
            // The objective no longer falls along the row: complete the drop here.
            if (!(kappa > 0.0)) return QpStatus::singular;
            drop_update(chosen, kappa);
            next_ = Next::reduced_step;
            return std::nullopt;
        }
        const bool full_step = kappa > 0.0;
        const double t = full_step ? kRelativeTie + (1.0 + kRelativeTie) * lambda / kappa : 1.0;
        for (std::int64_t i = 0; i < n_; ++i) d[i] = t * r[i];
        const Block block = ratio_test(d);
        if (full_step && block.step >= 1.0) {
            move(1.0, d);
            drop_update(chosen, kappa);
            next_ = Next::multiplier_test;
            return std::nullopt;
        }
        if (block.constraint == 0) return QpStatus::singular;  // unbounded direction
        move(block.step, d);
        status(block.constraint) = kQpStatusActive;
        if (k_ == n_) {
            if (!vertex_pivot(chosen, block.constraint)) return QpStatus::singular;
            next_ = Next::multiplier_test;
            return std::nullopt;
        }
        if (full_step) {
            if (!exchange(chosen, block.constraint, kappa)) return QpStatus::singular;
            next_ = Next::reduced_step;
            return std::nullopt;
        }
        // No curvature along the row: keep the blocking constraint and go on dropping.
        if (!add_update(block.constraint)) return QpStatus::singular;
        reformed = true;
    }
}

void ActiveSet::gradient_into(double* out) {
    for (std::int64_t i = 0; i < n_; ++i)
        out[i] = sdotm(n_, p_.g + i, p_.ldg, x_, 1) - p_.q[i];
}

void ActiveSet::store_gradient_and_objective() {
    double* gamma = vec(6);
    gradient_into(gamma);
    double objective = 0.0;
    for (std::int64_t i = 0; i < n_; ++i) objective += (gamma[i] - p_.q[i]) * x_[i];
    x_[n_ + k_] = 0.5 * objective;
}

// Smallest step along d to an inactive constraint; the lowest number wins ties.
ActiveSet::Block ActiveSet::ratio_test(const double* d) {
    Block block{kInfinite, 0};
    for (std::int64_t c = 1; c <= p_.m; ++c) {
        if (status(c) != kQpStatusInactive) continue;
        const double rate = p_.normal_dot(c, d);
        if (!(rate < -kSmallestChange)) continue;
        const double step = -p_.residual(c, x_) / rate;
        if (step < block.step) block = {step, c};
    }
    return block;
}

void ActiveSet::move(double step, const double* d) {
    for (std::int64_t i = 0; i < n_; ++i) x_[i] += step * d[i];
}

// ---- updates of the inverse ----

void ActiveSet::normal_into(std::int64_t c, double* out) {
    for (std::int64_t i = 0; i < n_; ++i) out[i] = p_.normal_entry(c, i);
}

bool ActiveSet::add_update(std::int64_t c) {
    double* a = vec(2);
    double* u = vec(3);
    double* v = vec(4);
    normal_into(c, a);
    for (std::int64_t i = 0; i < n_; ++i) u[i] = sdotm(n_, w_row(i), ws_.ldw, a, 1);
    for (std::int64_t r = 0; r < k_; ++r) v[r] = sdotm(n_, w_row(n_ + r), ws_.ldw, a, 1);
    const double z = sdotm(n_, a, 1, u, 1);
    if (!(z > 0.0) || !std::isfinite(z)) return false;
    for (std::int64_t r = 0; r < k_; ++r)
        for (std::int64_t i = 0; i < n_; ++i) w(n_ + r, i) -= v[r] / z * u[i];
    for (std::int64_t i = 0; i < n_; ++i) w(n_ + k_, i) = u[i] / z;
    entry(k_) = c;
    ++k_;
    for (std::int64_t j = 0; j < n_; ++j)
        for (std::int64_t i = 0; i < n_; ++i) w(i, j) = k_ == n_ ? 0.0 : w(i, j) - u[i] * u[j] / z;
    return true;
}

// r = row of the dropped entry in vec(2), G·r in vec(1).
void ActiveSet::drop_update(std::int64_t dropped, double kappa) {
    const double* gr = vec(1);
    const double* r = vec(2);
    for (std::int64_t j = 0; j < n_; ++j)
        for (std::int64_t i = 0; i < n_; ++i) w(i, j) += r[i] * r[j] / kappa;
    for (std::int64_t s = 0; s < k_; ++s) {
        if (s == dropped) continue;
        const double f = sdotm(n_, w_row(n_ + s), ws_.ldw, gr, 1) / kappa;
        for (std::int64_t i = 0; i < n_; ++i) w(n_ + s, i) -= f * r[i];
    }
    const std::int64_t last = k_ - 1;
    if (dropped != last) {
        for (std::int64_t i = 0; i < n_; ++i) w(n_ + dropped, i) = w(n_ + last, i);
        entry(dropped) = entry(last);
    }
    --k_;
}

bool ActiveSet::vertex_pivot(std::int64_t replaced, std::int64_t c) {
    double* a = vec(2);
    double* v = vec(4);
    normal_into(c, a);
    for (std::int64_t r = 0; r < k_; ++r) v[r] = sdotm(n_, w_row(n_ + r), ws_.ldw, a, 1);
    const double pivot = v[replaced];
    if (pivot == 0.0 || !std::isfinite(pivot)) return false;
    for (std::int64_t i = 0; i < n_; ++i) w(n_ + replaced, i) /= pivot;
    for (std::int64_t r = 0; r < k_; ++r) {
        if (r == replaced) continue;
        for (std::int64_t i = 0; i < n_; ++i) w(n_ + r, i) -= v[r] * w(n_ + replaced, i);
    }
    entry(replaced) = c;
    return true;
}

// Drop and add, with the entering constraint taking the dropped entry's place.
bool ActiveSet::exchange(std::int64_t replaced, std::int64_t c, double kappa) {
    drop_update(replaced, kappa);
    if (!add_update(c)) return false;
    const std::int64_t last = k_ - 1;
    if (replaced != last) {
        for (std::int64_t i = 0; i < n_; ++i) std::swap(w(n_ + replaced, i), w(n_ + last, i));
        std::swap(entry(replaced), entry(last));
    }
    return true;
}

}  // namespace imm
