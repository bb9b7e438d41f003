#include "model/gauss_newton_hessian.h"

#include <array>
#include <cmath>

#include "model/derivatives.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

// Whether the symmetric n x n matrix a has a Cholesky factor with positive, finite pivots.
bool positive_definite(std::vector<double> a, std::size_t n) {
    for (std::size_t j = 0; j < n; ++j) {
        for (std::size_t k = 0; k < j; ++k)
            for (std::size_t i = j; i < n; ++i) a[i + j * n] -= a[i + k * n] * a[j + k * n];
        const double pivot = a[j + j * n];
        if (!(pivot > 0.0) || !std::isfinite(pivot)) return false;
        const double root = std::sqrt(pivot);
        for (std::size_t i = j; i < n; ++i) a[i + j * n] /= root;
    }
    return true;
}

}  // namespace

std::vector<double> gauss_newton_hessian(std::span<const double> p, HeldWeights held) {
    const std::size_t n = p.size();
    const auto rows = static_cast<std::size_t>(a3.ndata);
    std::vector<double> jac(static_cast<std::size_t>(kMaxRows) * n);
    const std::array<double, kMaxRows> fitted = a1.ycalc;
    jacobian(a3.ndata, static_cast<std::int64_t>(n), jac, p, held);
    a1.ycalc = fitted;
    std::vector<double> h(n * n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            // The Jacobian is of the weighted residuals w r; the Hessian of sum w r^2 wants w (dr)^2.
            double sum = 0.0;
            for (std::size_t k = 0; k < rows; ++k)
                sum += jac[k + i * kMaxRows] * jac[k + j * kMaxRows] / (held.empty() ? 1.0 : held[k]);
            h[i + j * n] = 2.0 * sum;
        }
    }
    if (!positive_definite(h, n)) return {};
    return h;
}

}  // namespace imm
