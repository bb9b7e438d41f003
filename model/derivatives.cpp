#include "model/derivatives.h"

#include "model/model_rows.h"
#include "model/models.h"
#include "model/robust_weights.h"
#include "model/weighted_sum_of_squares.h"
#include "support/row_pool.h"

#include <algorithm>
#include <cmath>

namespace imm {

namespace {

using Params = std::array<double, kMaxParams>;
using RowValues = std::array<double, kMaxRows>;

constexpr double kGradientEps = 1.49e-8;
constexpr double kGradientRoot = 1.2206555615733703e-4;  // sqrt(kGradientEps)
constexpr double kGradientBig = 67114093.95973155;       // 1 / kGradientEps
constexpr double kMinStep = 6.828499381469512e-6;
constexpr double kJacobianEps = 1.49e-16;
constexpr double kJacobianRoot4 = 1.1048328206445401e-4;  // kJacobianEps^(1/4)
constexpr double kJacobianBig = 6711409395973154.0;       // 1 / kJacobianEps

constexpr int kTableRows = 15;
constexpr int kTableColumns = 6;
constexpr double kStepFactor = 1.5;

std::int64_t row_count(std::int64_t n) { return std::clamp<std::int64_t>(n, 0, kMaxRows); }
std::int64_t param_count(std::int64_t n) { return std::clamp<std::int64_t>(n, 0, kMaxParams); }

Params copy_params(std::span<const double> par, std::int64_t np) {
    Params p{};
    std::copy_n(par.begin(), np, p.begin());
    return p;
}

double model_at(std::size_t k, const Params& p) { return func(a1.t[k], a1.so[k], a1.yobs[k], p); }

// Model values of rows 0..n-1 at p, shared among the row pool's threads.
void model_values(std::int64_t n, const Params& p, RowValues& f) {
    auto evaluate_rows = [&p, &f](std::size_t begin, std::size_t end) { model_rows(begin, end, p, f); };
    RowPool::shared().for_rows(static_cast<std::size_t>(n), evaluate_rows);
}

// Weights of rows 0..n-1: 1, or in weighting mode 2 the held weights or the
// robust weights of the residuals at p.
void fill_weights(std::int64_t n, const Params& p, HeldWeights held, RowValues& w) {
    const auto rows = static_cast<std::size_t>(n);
    if (a3.weight_mode != 2) {
        std::fill_n(w.begin(), rows, 1.0);
        return;
    }
    if (!held.empty()) {
        std::copy_n(held.begin(), rows, w.begin());
        return;
    }
    RowValues r;
    for (std::size_t k = 0; k < rows; ++k) r[k] = a1.yobs[k] - model_at(k, p);
    robust_wt(std::span<const double>(r.data(), rows), std::span<double>(w.data(), rows));
}

// Sum of squares at p for the weighting mode; model values below eps in
// magnitude count as 1 in the relative mode. Stores the model values when asked.
double weighted_ssq(std::int64_t n, const Params& p, const RowValues& w, double eps, bool store_fitted) {
    RowValues values;
    model_values(n, p, values);
    const auto rows = static_cast<std::size_t>(n);
    if (store_fitted) std::copy_n(values.begin(), rows, a1.ycalc.begin());
    return weighted_sum_of_squares(std::span<const double>(a1.yobs).first(rows),
                                   std::span<const double>(values).first(rows), w, a3.weight_mode, eps);
}

// The objective that is differenced: weighted squared residuals, each residual
// optionally held within [eps, big] in magnitude.
double differenced_objective(std::int64_t n, const Params& q, const RowValues& w, bool clamp_residuals) {
    RowValues values;
    model_values(n, q, values);
    double sum = 0.0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        double d = a1.yobs[k] - values[k];
        if (clamp_residuals) {
            if (std::abs(d) < kGradientEps * kGradientEps) {
                d = kGradientEps;
            } else if (std::abs(d) > kGradientBig) {
                d = kGradientBig;
            }
        }
        sum += w[k] * d * d;
    }
    return sum;
}

double first_step(double p, double root) { return std::max(kMinStep, (std::abs(p) + root) * root); }

// Central differences on steps shrinking by 1.5, extrapolated to step 0.
double richardson_derivative(std::int64_t n, Params& p, std::size_t j, const RowValues& w) {
    const double centre = p[j];
    double table[kTableRows][kTableColumns];
    double steps[kTableRows];
    double h = first_step(centre, kGradientRoot);
    double previous_error = 0.0;
    double estimate = 0.0;
    for (int i = 0; i < kTableRows; ++i) {
        steps[i] = h;
        p[j] = centre + h;
        const double plus = differenced_objective(n, p, w, true);
        p[j] = centre - h;
        const double minus = differenced_objective(n, p, w, true);
        p[j] = centre;
        table[i][0] = (plus - minus) / (2.0 * h);
        h /= kStepFactor;
        if (i == 0) {
            estimate = table[0][0];
            continue;
        }
        const int columns = std::min(i + 1, kTableColumns);
        for (int c = 1; c < columns; ++c) {
            const double ratio = steps[i - c] / steps[i];
            table[i][c] = table[i][c - 1] + (table[i][c - 1] - table[i - 1][c - 1]) / (ratio * ratio - 1.0);
        }
        estimate = table[i][columns - 1];
        const double above = table[i - 1][std::min(i, kTableColumns) - 1];
        const double error = std::min(std::abs(estimate - above), std::abs(estimate - table[i][columns - 2]));
        if (error < std::max(kGradientEps, kMinStep * std::abs(estimate))) return estimate;
        if (i >= kTableColumns - 1 && error > 2.0 * previous_error) return above;
        previous_error = error;
    }
    return estimate;
}

// One central difference, its half-difference held within [eps, big].
double central_derivative(std::int64_t n, Params& p, std::size_t j, const RowValues& w) {
    const double centre = p[j];
    const double h = first_step(centre, kGradientRoot);
    p[j] = centre + h;
    const double plus = differenced_objective(n, p, w, false);
    p[j] = centre - h;
    const double minus = differenced_objective(n, p, w, false);
    p[j] = centre;
    const double d = (plus - minus) / 2.0;
    if (std::abs(d) < kGradientEps * kGradientEps) return kGradientEps;
    if (std::abs(d) > kGradientBig) return kGradientBig;
    return d / h;
}

template <typename Derivative>
Gradient gradient_by(std::span<const double> par, HeldWeights held, Derivative derivative) {
    const std::int64_t n = row_count(a3.ndata);
    const std::int64_t np = param_count(a3.nparam);
    Params p = copy_params(par, np);
    RowValues w;
    fill_weights(n, p, held, w);
    Gradient out;
    for (std::size_t j = 0; j < static_cast<std::size_t>(np); ++j) out.grad[j] = derivative(n, p, j, w);
    out.ssq = weighted_ssq(n, p, w, kGradientEps, false);
    return out;
}

}  // namespace

Gradient derivat(std::span<const double> par, HeldWeights held) {
    return gradient_by(par, held, richardson_derivative);
}

Gradient derivatives(std::span<const double> par, HeldWeights held) {
    return gradient_by(par, held, central_derivative);
}

double jacobian(std::int64_t n, std::int64_t np, std::span<double> fjac, std::span<const double> par,
                HeldWeights held) {
    n = row_count(n);
    np = param_count(np);
    Params p = copy_params(par, np);
    RowValues w;
    fill_weights(n, p, held, w);
    const auto rows = static_cast<std::size_t>(n);

    for (std::size_t j = 0; j < static_cast<std::size_t>(np); ++j) {
        double* column = fjac.data() + j * kMaxRows;
        const double centre = p[j];
        const double h = first_step(centre, kJacobianRoot4);
        // Weighted residual over the displacement's size, plus eps.
        auto residuals = [&](double displacement, double size, auto combine) {
            p[j] = centre + displacement;
            for (std::size_t k = 0; k < rows; ++k) {
                const double a = w[k] * (a1.yobs[k] - model_at(k, p));
                column[k] = combine(column[k], a / size + kJacobianEps);
            }
        };
        residuals(2.0 * h, 2.0 * h, [](double, double dy) { return dy; });
        residuals(h, h, [](double sum, double dy) { return dy + sum; });
        residuals(-2.0 * h, 2.0 * h, [](double sum, double dy) { return sum - dy; });
        residuals(-h, h, [](double sum, double dy) { return sum - dy; });
        p[j] = centre;
        for (std::size_t k = 0; k < rows; ++k) {
            const double value = column[k] / 4.0 + kJacobianEps;
            column[k] = std::isnan(value) ? -kJacobianBig : std::clamp(value, -kJacobianBig, kJacobianBig);
        }
    }
    return weighted_ssq(n, p, w, kJacobianEps, true);
}

}  // namespace imm
