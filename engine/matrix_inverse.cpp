#include "engine/matrix_inverse.h"

#include <array>
#include <cmath>
#include <utility>

namespace imm {

namespace {

using Square = std::array<double, kMaxKernelOrder * kMaxKernelOrder>;

bool valid_order(std::int64_t n, std::int64_t lda) { return n >= 1 && n <= kMaxKernelOrder && lda >= n; }

void copy_square(const double* from, std::int64_t from_ld, double* to, std::int64_t to_ld, std::int64_t n) {
    for (std::int64_t j = 0; j < n; ++j) {
        for (std::int64_t i = 0; i < n; ++i) to[i + j * to_ld] = from[i + j * from_ld];
    }
}

}  // namespace

InverseResult lumatinv(std::int64_t n, double* a, std::int64_t lda) {
    if (!valid_order(n, lda)) return {MatrixStatus::bad_dimension, 0};
    if (!matrix_is_finite(a, n, lda)) return {MatrixStatus::not_finite, 0};

    Square work;
    std::array<std::int64_t, kMaxKernelOrder> pivot_row;
    std::array<double, kMaxKernelOrder> saved_column;
    copy_square(a, lda, work.data(), n, n);
    auto w = [&](std::int64_t i, std::int64_t j) -> double& { return work[static_cast<std::size_t>(i + j * n)]; };

    // Factor: L as negated multipliers below the diagonal, U on and above it.
    for (std::int64_t k = 0; k + 1 < n; ++k) {
        std::int64_t l = k;
        for (std::int64_t i = k + 1; i < n; ++i) {
            if (std::abs(w(i, k)) > std::abs(w(l, k))) l = i;
        }
        pivot_row[static_cast<std::size_t>(k)] = l;
        if (w(l, k) == 0.0) return {MatrixStatus::singular, k + 1};
        if (l != k) std::swap(w(l, k), w(k, k));
        for (std::int64_t i = k + 1; i < n; ++i) w(i, k) = -w(i, k) / w(k, k);
        for (std::int64_t j = k + 1; j < n; ++j) {
            const double t = w(l, j);
            if (l != k) {
                w(l, j) = w(k, j);
                w(k, j) = t;
            }
            for (std::int64_t i = k + 1; i < n; ++i) w(i, j) += t * w(i, k);
        }
    }
    pivot_row[static_cast<std::size_t>(n - 1)] = n - 1;
    if (w(n - 1, n - 1) == 0.0) return {MatrixStatus::singular, n};

    // inverse(U)
    for (std::int64_t k = 0; k < n; ++k) {
        w(k, k) = 1.0 / w(k, k);
        const double t = -w(k, k);
        for (std::int64_t i = 0; i < k; ++i) w(i, k) *= t;
        for (std::int64_t j = k + 1; j < n; ++j) {
            const double u = w(k, j);
            w(k, j) = 0.0;
            for (std::int64_t i = 0; i <= k; ++i) w(i, j) += u * w(i, k);
        }
    }
    // inverse(U) * inverse(L), undoing the row exchanges as column exchanges.
    for (std::int64_t k = n - 2; k >= 0; --k) {
        for (std::int64_t i = k + 1; i < n; ++i) {
            saved_column[static_cast<std::size_t>(i)] = w(i, k);
            w(i, k) = 0.0;
        }
        for (std::int64_t j = k + 1; j < n; ++j) {
            const double t = saved_column[static_cast<std::size_t>(j)];
            for (std::int64_t i = 0; i < n; ++i) w(i, k) += t * w(i, j);
        }
        const std::int64_t l = pivot_row[static_cast<std::size_t>(k)];
        if (l != k) {
            for (std::int64_t i = 0; i < n; ++i) std::swap(w(i, k), w(i, l));
        }
    }

    if (!matrix_is_finite(work.data(), n, n)) return {MatrixStatus::not_finite, 0};
    copy_square(work.data(), n, a, lda, n);
    return {};
}

InverseResult invertmat(double* a, std::int64_t n, std::int64_t lda) {
    if (!valid_order(n, lda)) return {MatrixStatus::bad_dimension, 0};
    if (!matrix_is_finite(a, n, lda)) return {MatrixStatus::not_finite, 0};

    Square saved;
    copy_square(a, lda, saved.data(), n, n);
    auto at = [&](std::int64_t i, std::int64_t j) -> double& { return a[i + j * lda]; };
    std::array<bool, kMaxKernelOrder> pivoted{};
    std::array<std::int64_t, kMaxKernelOrder> row_of_pass;
    std::array<std::int64_t, kMaxKernelOrder> column_of_pass;

    for (std::int64_t pass = 0; pass < n; ++pass) {
        double largest = 0.0;
        std::int64_t irow = -1;
        std::int64_t icol = -1;
        for (std::int64_t j = 0; j < n; ++j) {
            if (pivoted[static_cast<std::size_t>(j)]) continue;
            for (std::int64_t k = 0; k < n; ++k) {
                if (!pivoted[static_cast<std::size_t>(k)] && std::abs(at(j, k)) > largest) {
                    largest = std::abs(at(j, k));
                    irow = j;
                    icol = k;
                }
            }
        }
        if (irow < 0) {
            copy_square(saved.data(), n, a, lda, n);
            return {MatrixStatus::singular, pass + 1};
        }
        pivoted[static_cast<std::size_t>(icol)] = true;
        if (irow != icol) {
            for (std::int64_t c = 0; c < n; ++c) std::swap(at(irow, c), at(icol, c));
        }
        row_of_pass[static_cast<std::size_t>(pass)] = irow;
        column_of_pass[static_cast<std::size_t>(pass)] = icol;

        const double pivot = at(icol, icol);
        at(icol, icol) = 1.0;
        for (std::int64_t c = 0; c < n; ++c) at(icol, c) /= pivot;
        for (std::int64_t l = 0; l < n; ++l) {
            if (l == icol) continue;
            const double m = at(l, icol);
            at(l, icol) = 0.0;
            for (std::int64_t c = 0; c < n; ++c) at(l, c) -= m * at(icol, c);
        }
    }
    for (std::int64_t pass = n - 1; pass >= 0; --pass) {
        const std::int64_t irow = row_of_pass[static_cast<std::size_t>(pass)];
        const std::int64_t icol = column_of_pass[static_cast<std::size_t>(pass)];
        if (irow != icol) {
            for (std::int64_t i = 0; i < n; ++i) std::swap(at(i, irow), at(i, icol));
        }
    }

    if (!matrix_is_finite(a, n, lda)) {
        copy_square(saved.data(), n, a, lda, n);
        return {MatrixStatus::not_finite, 0};
    }
    return {};
}

InverseResult invmat(double* a, std::int64_t n, std::int64_t lda) {
    if (n == 1 && lda >= 1 && a[0] == 0.0) {
        a[0] = 1.0;
        return {MatrixStatus::singular, 1};
    }
    return invertmat(a, n, lda);
}

}  // namespace imm
