#include "optimise/quasi_newton.h"

#include <array>
#include <cmath>
#include <stdexcept>

#include "optimise/bound_reflection.h"
#include "optimise/packed_factor.h"
#include "optimise/value_order.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

constexpr double kSmall = 1e-15;  // added to |b(i)| to form the scale
constexpr double kEpsilon = 2.22e-16;

using Vector = std::array<double, kMaxParams>;

double dot(const Vector& a, const Vector& b, std::int64_t n) {
    double s = 0.0;
    for (std::int64_t i = 0; i < n; ++i) s += a[i] * b[i];
    return s;
}

class Minimiser {
public:
    Minimiser(Objective& objective, std::span<double> b, std::span<const double> lo, std::span<const double> hi,
              std::span<double> h, const QuasiNewtonOptions& options)
        : objective_(objective), b_(b), lo_(lo), hi_(hi), h_(h), opt_(options),
          n_(static_cast<std::int64_t>(b.size())) {}

    QuasiNewtonResult run();

private:
    enum class Next { iterate, no_progress, update_tested, update, stop };

    std::span<double> point(Vector& v) { return {v.data(), static_cast<std::size_t>(n_)}; }
    bool flagged(std::int64_t i) const { return opt_.flags.empty() || opt_.flags[i] != 0; }
    bool varied(std::int64_t i) const { return opt_.flags.empty() || opt_.flags[i] == 1; }
    bool limit_reached() const { return ifn_ >= opt_.max_evaluations; }

    // Brings v into the bounds when a component lies outside; true if it did.
    bool keep_in_bounds(Vector& v);
    double value(Vector& v) { return objective_.value(point(v)); }
    // Evaluates v, first bounded when the rule bounds every evaluation.
    double value_anywhere(Vector& v) {
        if (opt_.bound_rule == BoundRule::reflect_always) keep_in_bounds(v);
        return value(v);
    }
    void trial_point(double alpha) {
        for (std::int64_t i = 0; i < n_; ++i) trial_[i] = x_[i] + alpha * s_[i];
    }

    void gradient();
    Next line_search();
    Next expand();
    Next update(bool tot_test);
    Next no_progress();

    Objective& objective_;
    std::span<double> b_;
    std::span<const double> lo_, hi_;
    std::span<double> h_;
    const QuasiNewtonOptions& opt_;
    std::int64_t n_;

    Vector x_{}, bm_{}, g_{}, g0_{}, s_{}, trial_{}, probe_{}, v_{}, u_{}, beta_{};
    double f_ = 0.0, f0_ = 0.0, f1_ = 0.0, f2_ = 0.0;
    double df_ = 0.0, gs0_ = 0.0, alpha_ = 0.0, tot_ = 0.0, aeps_ = 0.0, dmin_ = 0.0, gnorm_ = 0.0;
    bool central_ = false, interpolated_ = false, expansion_stopped_ = false;
    std::int64_t ifn_ = 0, itn_ = 0, iexit_ = 0;
};

bool Minimiser::keep_in_bounds(Vector& v) {
    bool outside = false;
    for (std::int64_t i = 0; i < n_; ++i) outside = outside || v[i] < lo_[i] || v[i] > hi_[i];
    if (!outside) return false;
    for (std::int64_t i = 0; i < n_; ++i) {
        if (opt_.bound_rule == BoundRule::clamp_trials) {
            if (v[i] < lo_[i]) v[i] = lo_[i];
            if (v[i] > hi_[i]) v[i] = hi_[i];
        } else if (flagged(i)) {
            abounds(i, point(v), lo_, hi_);
        }
    }
    return true;
}

void Minimiser::gradient() {
    const double smallest = opt_.step * opt_.step;
    for (std::int64_t i = 0; i < n_; ++i) {
        if (!varied(i)) {
            g_[i] = 0.0;
            continue;
        }
        double z = opt_.step * bm_[i];
        if (std::fabs(z) < smallest) z = smallest;
        probe_ = x_;
        probe_[i] = x_[i] + z;
        const double up = value_anywhere(probe_);
        if (central_) {
            probe_ = x_;
            probe_[i] = x_[i] - z;
            g_[i] = (up - value_anywhere(probe_)) / (2.0 * z);
        } else {
            g_[i] = (up - f_) / z;
        }
        if (std::isnan(g_[i])) g_[i] = opt_.step;
    }
    ifn_ += central_ ? 2 * n_ : n_;
    gnorm_ = std::sqrt(dot(g_, g_, n_));
}

QuasiNewtonResult Minimiser::run() {
    for (std::int64_t i = 0; i < n_; ++i) x_[i] = b_[i];
    if (opt_.start_limit > 0.0) {
        for (std::int64_t i = 0; i < n_; ++i) {
            if (x_[i] < -opt_.start_limit) x_[i] = -opt_.start_limit;
            else if (!(x_[i] <= opt_.start_limit)) x_[i] = opt_.start_limit;
        }
    }
    if (keep_in_bounds(x_)) f_ = value(x_);
    for (std::int64_t i = 0; i < n_; ++i) bm_[i] = std::fabs(x_[i]) + kSmall;

    Next next = Next::iterate;
    if (opt_.mode == 2) {
        if (!factorise_packed(h_, n_)) next = Next::stop;
    } else if (opt_.mode != 3) {
        set_identity_factor(h_, n_);
    }
    if (next != Next::stop) {
        dmin_ = h_[0];
        for (std::int64_t i = 1; i < n_; ++i) dmin_ = std::fmin(dmin_, h_[packed_diagonal(n_, i)]);
        if (dmin_ <= 0.0) next = Next::stop;
    }
    if (next != Next::stop) {
        f_ = value(x_);
        ifn_ = 1;
        df_ = std::fabs(0.5 * f_);
        if (df_ <= 0.0) df_ = 1.0;
        gradient();
        if (limit_reached()) next = Next::stop;
    }

    while (next != Next::stop) {
        switch (next) {
        case Next::iterate: next = line_search(); break;
        case Next::update_tested: next = update(true); break;
        case Next::update: next = update(false); break;
        case Next::no_progress: next = no_progress(); break;
        case Next::stop: break;
        }
    }

    iexit_ = (iexit_ == 1 && ifn_ < opt_.max_evaluations) ? 1 : 4;
    f_ = value_anywhere(x_);
    for (std::int64_t i = 0; i < n_; ++i) b_[i] = x_[i];
    return {f_, iexit_, ifn_, itn_};
}

Minimiser::Next Minimiser::line_search() {
    ++itn_;
    solve_newton_direction(h_, n_, g_, v_, s_);
    gs0_ = dot(s_, g_, n_);
    double r = 0.0;
    for (std::int64_t i = 0; i < n_; ++i) r = std::fmax(r, std::fabs(s_[i]) / bm_[i]);
    aeps_ = std::sqrt(kEpsilon) / r;
    iexit_ = 2;
    if (gs0_ >= 0.0) return Next::no_progress;

    alpha_ = -2.0 * df_ / gs0_;
    if (std::isnan(alpha_) || alpha_ > 1.0) alpha_ = 1.0;
    f0_ = f_;
    tot_ = 0.0;
    interpolated_ = false;
    expansion_stopped_ = false;
    iexit_ = 1;
    for (;;) {
        if (limit_reached()) return Next::stop;
        trial_point(alpha_);
        keep_in_bounds(trial_);
        f1_ = value(trial_);
        ++ifn_;
        if (is_better(f1_, f_)) {
            f2_ = f_;
            tot_ += alpha_;
            return expand();
        }
        if (alpha_ < aeps_) return Next::no_progress;
        if (limit_reached()) return Next::stop;
        alpha_ = gnorm_ > 1.0 ? alpha_ / 10.0 : alpha_ / 2.0;
        trial_point(alpha_);
        keep_in_bounds(trial_);
        f2_ = value(trial_);
        ++ifn_;
        if (is_better(f2_, f_)) {
            tot_ += alpha_;
            f_ = f2_;
            x_ = trial_;
            return Next::update_tested;
        }
        double q = 0.1;
        if (f_ + f1_ > 2.0 * f2_) q = 1.0 + 0.5 * (f_ - f1_) / ((f_ + f1_) - 2.0 * f2_);
        if (!(q > 0.1)) q = 0.1;
        alpha_ *= q;
        interpolated_ = true;
    }
}

// Accepts the trial point and tries longer steps while they keep decreasing.
Minimiser::Next Minimiser::expand() {
    for (;;) {
        x_ = trial_;
        f_ = f1_;
        if (interpolated_) return Next::update_tested;
        if (expansion_stopped_) return Next::update;
        if (limit_reached()) return Next::stop;
        trial_point(alpha_);
        f1_ = value_anywhere(trial_);
        ++ifn_;
        if (!is_better(f1_, f_)) return Next::update;
        if (7.0 * f1_ + 5.0 * f2_ > 12.0 * f_ && f1_ + f2_ >= 2.0 * f_) expansion_stopped_ = true;
        tot_ += alpha_;
        alpha_ *= gnorm_ < std::sqrt(kEpsilon) ? 10.0 : 2.0;
    }
}

Minimiser::Next Minimiser::update(bool tot_test) {
    if (tot_test && tot_ < aeps_) return Next::no_progress;
    alpha_ = tot_;
    g0_ = g_;
    gradient();
    if (limit_reached()) return Next::stop;
    const double gs1 = dot(s_, g_, n_);
    df_ = f0_ - f_;
    const double dgs = gs1 - gs0_;
    if (dgs <= 0.0) return Next::iterate;
    double sigma;
    if (alpha_ * gs0_ + dgs > 0.0) {
        const double zeta = alpha_ / (dgs - alpha_ * gs0_);
        for (std::int64_t i = 0; i < n_; ++i) u_[i] = g_[i] + (dgs * zeta - 1.0) * g0_[i];
        sigma = 1.0 / (zeta * dgs * dgs);
        rank_one_update(h_, n_, sigma, point(u_), point(v_), point(beta_), dmin_);
        sigma = -zeta;
    } else {
        for (std::int64_t i = 0; i < n_; ++i) u_[i] = g_[i] - g0_[i];
        sigma = 1.0 / (alpha_ * dgs);
        rank_one_update(h_, n_, sigma, point(u_), point(v_), point(beta_), dmin_);
        sigma = 1.0 / gs0_;
    }
    u_ = g0_;
    rank_one_update(h_, n_, sigma, point(u_), point(v_), point(beta_), dmin_);
    return Next::iterate;
}

// Switches to central differences once; a second failure ends the search.
Minimiser::Next Minimiser::no_progress() {
    if (central_) return Next::stop;
    central_ = true;
    gradient();
    return limit_reached() ? Next::stop : Next::iterate;
}

}  // namespace

QuasiNewtonResult quasi_newton(Objective& objective, std::span<double> b, std::span<const double> lo,
                               std::span<const double> hi, std::span<double> h,
                               const QuasiNewtonOptions& options) {
    if (b.empty() || b.size() > static_cast<std::size_t>(kMaxParams))
        throw std::length_error("quasi_newton: parameter count outside 1..25");
    return Minimiser(objective, b, lo, hi, h, options).run();
}

QuasiNewtonResult va10e(Objective& objective, std::span<double> b, std::span<const double> lo,
                        std::span<const double> hi, std::span<double> h, std::int64_t mode,
                        std::int64_t max_evaluations) {
    QuasiNewtonOptions options;
    options.mode = mode;
    options.max_evaluations = max_evaluations;
    return quasi_newton(objective, b, lo, hi, h, options);
}

bool isnanum(double x) { return x != x; }

bool isinfty(double x) { return std::isinf(x); }

}  // namespace imm
