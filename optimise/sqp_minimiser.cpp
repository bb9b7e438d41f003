#include "optimise/sqp_minimiser.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "optimise/bound_reflection.h"
#include "optimise/parameter_box.h"
#include "optimise/sqp_subproblem.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

constexpr double kSufficientDecrease = 0.1;
constexpr double kSmallestFraction = 0.1;
constexpr double kDampingThreshold = 0.2;
constexpr double kBoxFactor = 10.0;
// Trials of one line search beyond which it stops, whatever the iteration.
constexpr std::int64_t kLineSearchHardCap = 60;

class Sqp {
public:
    Sqp(ConstrainedObjective& objective, const SqpOptions& options, std::span<double> x,
        ObjectiveDerivatives& derivatives, VmconState& state)
        : objective_(objective), o_(options), x_(x), d_(derivatives), s_(state),
          n_(options.parameter_count), m_(a2.constraint_count), me_(a2.equality_count),
          eps_(limits.machine_eps), big_(limits.big_bound) {}

    SqpResult run();

private:
    enum class Outcome { next_iteration, end };

    double evaluate() { return objective_.evaluate(std::span<const double>(x_.data(), n_), d_); }
    double* jacobian() { return d_.constraint_jacobian.data(); }
    double jac(std::int64_t i, std::int64_t j) const {
        return d_.constraint_jacobian[static_cast<std::size_t>(i + j * kMaxParams)];
    }
    void set_step_bounds();
    void lagrangian_gradient();
    double penalty() const;
    Outcome line_search(double gs);
    void update();

    ConstrainedObjective& objective_;
    const SqpOptions& o_;
    std::span<double> x_;
    ObjectiveDerivatives& d_;
    VmconState& s_;
    const std::int64_t n_;
    const std::int64_t m_;
    const std::int64_t me_;
    const double eps_;
    const double big_;
    ParameterBox box_{};
    std::array<double, kMaxParams> step_lower_{};
    std::array<double, kMaxParams> step_upper_{};
    SqpResult result_{};
    double f_ = 0.0;
    double reference_ = 0.0;
    double measure_ = 0.0;
};

SqpResult Sqp::run() {
    reference_ = eps_;
    measure_ = big_;
    std::array<double, kMaxParams> entry_x{};
    std::copy_n(x_.begin(), kMaxParams, entry_x.begin());
    s_.qp_x.fill(1.0);
    s_.lagrangian_grad.fill(1.0);
    s_.grad_change.fill(1.0);
    s_.start_point.fill(1.0);

    f_ = evaluate();
    const double f0 = f_;
    box_ = o_.box ? *o_.box
                  : model_parameter_box(a1.nmdl, std::span<const double>(entry_x.data(), n_), kBoxFactor,
                                        global_types.idat, a1);
    const bool given = o_.initial_hessian.size() == static_cast<std::size_t>(n_ * n_);
    for (std::int64_t j = 0; j < n_; ++j)
        for (std::int64_t i = 0; i < n_; ++i)
            s_.hessian(i, j) = given ? o_.initial_hessian[static_cast<std::size_t>(i + j * n_)] : (i == j ? 1.0 : 0.0);
    for (std::int64_t j = 0; j < m_; ++j) s_.penalty_weights[j] = 0.0;

    std::int64_t& count = result_.iterations;
    std::int64_t& info = result_.info;
    count = o_.iterations;
    std::int64_t mode = o_.qp_mode;
    const double* step = s_.qp_step();
    while (true) {
        ++count;
        if (count > o_.iteration_limit) {
            info = kSqpIterationLimit;
            break;
        }
        f_ = evaluate();
        info = count == o_.iterations + 1 ? -1 : 0;
        set_step_bounds();
        const QpStatus subproblem = qpsub(n_, m_, me_, d_.gradient.data(), d_.constraints.data(), jacobian(),
                                          StepBounds{step_lower_.data(), step_upper_.data()}, info, mode, s_);
        if (subproblem != QpStatus::solved) {
            info = kSqpSubproblemFailed;
            break;
        }
        if (!std::all_of(step, step + n_ + 1, [](double v) { return std::isfinite(v); })) {
            info = kSqpNotDownhill;
            break;
        }
        if (count > o_.iteration_limit || (count > o_.iteration_limit / 2 && info > 4) ||
            (info == kSqpStepBound && count > 5))
            break;
        lagrangian_gradient();
        // Every second subproblem starts from a matrix rebuilt for its active
        // list: the previous call's factors belong to another Hessian.
        mode = count % 2 == 1 ? 1 : 4;

        double gs = 0.0;
        for (std::int64_t i = 0; i < n_; ++i) gs += step[i] * d_.gradient[i];
        for (std::int64_t i = 0; i < n_; ++i) {
            s_.grad_change[i] = s_.lagrangian_grad[i];
            s_.start_point[i] = x_[i];
        }
        measure_ = std::fabs(gs);
        for (std::int64_t j = 0; j < m_; ++j) {
            const double lambda = std::fabs(s_.multipliers[j]);
            measure_ += std::fabs(d_.constraints[j] * s_.multipliers[j]);
            s_.penalty_weights[j] =
                std::max(lambda, (s_.penalty_weights[j] + lambda) / 2.0);
        }
        if (!std::isfinite(measure_)) {
            measure_ = big_;
            info = kSqpNotDownhill;
            break;
        }
        if (measure_ > big_) measure_ = big_;
        if (measure_ <= o_.tolerance * o_.objective_scale && count > 2) break;
        if (line_search(gs) == Outcome::end) break;
    }

    f_ = evaluate();
    if (f_ > 5.0 * f0 || std::isnan(f_)) {
        f_ = f0;
        std::copy_n(entry_x.begin(), kMaxParams, x_.begin());
    }
    result_.f = f_;
    result_.convergence_measure = measure_;
    return result_;
}

// Free steps may lower a parameter as far as they may raise it; with a box
// they end on its bounds.
void Sqp::set_step_bounds() {
    const double free = std::sqrt(big_);
    for (std::int64_t i = 0; i < n_; ++i) {
        step_lower_[i] = -free;
        step_upper_[i] = free;
        if (o_.box) {
            step_lower_[i] = std::max(step_lower_[i], std::min(0.0, box_.lower[i] - x_[i]));
            step_upper_[i] = std::min(step_upper_[i], std::max(0.0, box_.upper[i] - x_[i]));
        }
    }
}

void Sqp::lagrangian_gradient() {
    for (std::int64_t i = 0; i < n_; ++i) {
        double sum = d_.gradient[i];
        for (std::int64_t j = 0; j < m_; ++j)
            if (s_.multipliers[j] != 0.0) sum -= s_.multipliers[j] * jac(i, j);
        s_.lagrangian_grad[i] = sum;
    }
}

// Σ w(j)·max(−c(j), e(j)), e(j) = c(j) for the equalities, 0 for the others.
double Sqp::penalty() const {
    double p = 0.0;
    for (std::int64_t j = 0; j < m_; ++j) {
        const double c = d_.constraints[j];
        p += s_.penalty_weights[j] * std::max(-c, j < me_ ? c : 0.0);
    }
    return p;
}

Sqp::Outcome Sqp::line_search(double gs) {
    std::int64_t& info = result_.info;
    const std::int64_t count = result_.iterations;
    double* step = s_.qp_step();
    double alpha = 1.0;
    double slope = 0.0;
    std::int64_t trials = 0;
    for (bool first = true;; first = false) {
        const double p = penalty();
        double merit = f_ + p;
        if (first) {
            if (std::isnan(merit) || merit < eps_) merit = reference_;
            reference_ = merit;
            slope = gs - step[n_] * p;
            if (!std::isfinite(slope)) {
                info = kSqpNotDownhill;
                return Outcome::end;
            }
            if (slope >= 0.0) {
                info = kSqpNotDownhill;
                if (count > 2) return Outcome::end;
            }
        } else {
            const double change = merit - reference_;
            if (change <= kSufficientDecrease * slope) {
                update();
                return Outcome::next_iteration;
            }
            alpha = std::max(0.5 * slope / (slope - change), kSmallestFraction);
            if (std::isnan(alpha)) alpha = kSmallestFraction;
        }
        alpha /= 2.0;
        for (std::int64_t i = 0; i < n_; ++i) {
            step[i] *= alpha;
            x_[i] = s_.start_point[i] + step[i];
            if (!std::isfinite(x_[i])) {
                info = kSqpNotDownhill;
                return Outcome::end;
            }
        }
        slope *= alpha;
        if (std::fabs(slope) < o_.tolerance * o_.objective_scale / 100.0 ||
            std::fabs(alpha) < o_.tolerance * o_.tolerance)
            return Outcome::end;

        ++trials;
        if (n_ == 3) {
            abounds(2, x_, box_.lower, box_.upper);
        } else {
            for (std::int64_t i = 0; i < n_; ++i) abounds(i, x_, box_.lower, box_.upper);
        }
        f_ = evaluate();
        if (trials > o_.line_search_limit) {
            info = kSqpLineSearchLimit;
            if (count > 2 || trials >= kLineSearchHardCap) return Outcome::end;
        }
    }
}

// Powell's damped BFGS update of B after an accepted step s.
void Sqp::update() {
    lagrangian_gradient();
    const double* step = s_.qp_step();
    double* y = s_.grad_change.data();
    double* bs = s_.start_point.data();
    double sy = 0.0;
    double sbs = 0.0;
    for (std::int64_t i = 0; i < n_; ++i) {
        y[i] = s_.lagrangian_grad[i] - y[i];
        double sum = 0.0;
        for (std::int64_t j = 0; j < n_; ++j) sum += s_.hessian(i, j) * step[j];
        bs[i] = sum;
        sy += y[i] * step[i];
        sbs += step[i] * sum;
    }
    if (sy < kDampingThreshold * sbs) {
        const double theta = (sbs - kDampingThreshold * sbs) / (sbs - sy);
        for (std::int64_t i = 0; i < n_; ++i) y[i] = theta * y[i] + (1.0 - theta) * bs[i];
        sy = kDampingThreshold * sbs;
    }
    if (!(sbs > 0.0) || !(sy > 0.0)) return;  // no curvature: keep B
    for (std::int64_t i = 0; i < n_; ++i)
        for (std::int64_t j = i; j < n_; ++j) {
            double v = s_.hessian(i, j) - bs[i] * bs[j] / sbs + y[i] * y[j] / sy;
            v = std::isnan(v) ? big_ : std::clamp(v, -big_, big_);
            s_.hessian(i, j) = v;
            s_.hessian(j, i) = v;
        }
}

}  // namespace

SqpResult vmcon(ConstrainedObjective& objective, const SqpOptions& options, std::span<double> x,
                ObjectiveDerivatives& derivatives, VmconState& state) {
    return Sqp(objective, options, x, derivatives, state).run();
}

}  // namespace imm
