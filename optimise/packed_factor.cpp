#include "optimise/packed_factor.h"

namespace imm {

void set_identity_factor(std::span<double> h, std::int64_t n) {
    for (std::int64_t k = 0; k < packed_size(n); ++k) h[k] = 0.0;
    for (std::int64_t i = 0; i < n; ++i) h[packed_diagonal(n, i)] = 1.0;
}

namespace {

// Row-by-row U'DU factorisation. With stop_at_bad_pivot the first pivot that is
// not positive ends it (result -1); otherwise that pivot becomes 0, its row is
// skipped and the result counts the positive pivots.
std::int64_t factorise(std::span<double> h, std::int64_t n, bool stop_at_bad_pivot) {
    std::int64_t positive = n;
    for (std::int64_t p = 0; p + 1 < n; ++p) {
        const std::int64_t dp = packed_diagonal(n, p);
        const double pivot = h[dp];
        if (!(pivot > 0.0)) {
            if (stop_at_bad_pivot) return -1;
            h[dp] = 0.0;
            --positive;
            continue;
        }
        // Row j of the remaining matrix loses U(p, j) times the undivided row p.
        for (std::int64_t j = p + 1; j < n; ++j) {
            const std::int64_t pj = dp + (j - p);
            const double u = h[pj] / pivot;
            std::int64_t jk = packed_diagonal(n, j);
            for (std::int64_t k = j; k < n; ++k, ++jk) h[jk] -= h[dp + (k - p)] * u;
            h[pj] = u;
        }
    }
    const std::int64_t last = packed_size(n) - 1;
    if (n > 0 && !(h[last] > 0.0)) {
        if (stop_at_bad_pivot) return -1;
        h[last] = 0.0;
        --positive;
    }
    return positive;
}

}  // namespace

bool factorise_packed(std::span<double> h, std::int64_t n) { return factorise(h, n, true) >= 0; }

std::int64_t mc11bd(std::span<double> h, std::int64_t n) { return factorise(h, n, false); }

void solve_unit_lower(std::span<const double> h, std::int64_t n, std::span<const double> u, std::span<double> v) {
    for (std::int64_t i = 0; i < n; ++i) {
        double z = u[i];
        for (std::int64_t j = 0; j < i; ++j) z -= v[j] * h[packed_diagonal(n, j) + (i - j)];
        v[i] = z;
    }
}

void solve_newton_direction(std::span<const double> h, std::int64_t n, std::span<const double> g,
                            std::span<double> v, std::span<double> s) {
    for (std::int64_t i = 0; i < n; ++i) {
        double z = -g[i];
        for (std::int64_t j = 0; j < i; ++j) z -= v[j] * h[packed_diagonal(n, j) + (i - j)];
        v[i] = z;
    }
    for (std::int64_t i = n - 1; i >= 0; --i) {
        const std::int64_t di = packed_diagonal(n, i);
        double z = v[i] / h[di];
        for (std::int64_t j = i + 1; j < n; ++j) z -= h[di + (j - i)] * s[j];
        s[i] = z;
    }
}

void rank_one_update(std::span<double> h, std::int64_t n, double sigma, std::span<double> u,
                     std::span<double> v, std::span<double> beta, double& dmin) {
    solve_unit_lower(h, n, u, v);
    for (std::int64_t i = 0; i < n; ++i) {
        const std::int64_t di = packed_diagonal(n, i);
        double d = h[di] + sigma * v[i] * v[i];
        if (d <= 0.0) d = dmin;
        if (d < dmin) dmin = d;
        h[di] = d;
        beta[i] = v[i] * sigma / d;
        sigma -= beta[i] * beta[i] * d;
    }
    for (std::int64_t i = 0; i + 1 < n; ++i) {
        const std::int64_t di = packed_diagonal(n, i);
        for (std::int64_t j = i + 1; j < n; ++j) {
            u[j] -= v[i] * h[di + (j - i)];
            h[di + (j - i)] += u[j] * beta[i];
        }
    }
}

}  // namespace imm
