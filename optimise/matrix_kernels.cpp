#include "optimise/matrix_kernels.h"

#include <array>
#include <cmath>
#include <utility>

namespace imm {

namespace {

// Start offset of a strided walk: a negative increment starts at the far end.
std::int64_t walk_start(std::int64_t n, std::int64_t inc) { return inc < 0 ? (1 - n) * inc : 0; }

// Doolittle: unit lower factor, pivots on the diagonal of the upper factor.
// Crout: pivots on the diagonal of the lower factor, unit upper factor.
enum class Factors { doolittle, crout };

class Columns {
public:
    Columns(double* a, std::int64_t lda) : a_(a), lda_(lda) {}
    double& operator()(std::int64_t i, std::int64_t j) const { return a_[i + j * lda_]; }
    double* at(std::int64_t i, std::int64_t j) const { return a_ + i + j * lda_; }
    std::int64_t lda() const { return lda_; }

private:
    double* a_;
    std::int64_t lda_;
};

// Row-pivoted factorisation in place, left-looking. Returns 0, or the 1-based
// column whose pivot candidates are all zero.
std::int64_t factorise(const Columns& a, std::int64_t n, std::int64_t* perm, Factors kind) {
    const std::int64_t lda = a.lda();
    for (std::int64_t i = 0; i < n; ++i) perm[i] = i;

    auto take_pivot = [&](std::int64_t k) {
        std::int64_t p = k;
        double largest = std::abs(a(k, k));
        for (std::int64_t i = k + 1; i < n; ++i) {
            if (std::abs(a(i, k)) > largest) {
                largest = std::abs(a(i, k));
                p = i;
            }
        }
        if (largest == 0.0) return false;
        if (p != k) {
            for (std::int64_t j = 0; j < n; ++j) std::swap(a(k, j), a(p, j));
            std::swap(perm[k], perm[p]);
        }
        return true;
    };

    if (!take_pivot(0)) return 1;
    for (std::int64_t k = 0; k + 1 < n; ++k) {
        for (std::int64_t j = k + 1; j < n; ++j) {
            a(k, j) = -sdsdot(k, -a(k, j), a.at(k, 0), lda, a.at(0, j), 1);
        }
        if (kind == Factors::crout) {
            const double reciprocal = 1.0 / a(k, k);
            for (std::int64_t j = k + 1; j < n; ++j) a(k, j) *= reciprocal;
        } else {
            for (std::int64_t i = k + 1; i < n; ++i) a(i, k) /= a(k, k);
        }
        for (std::int64_t i = k + 1; i < n; ++i) {
            a(i, k + 1) = -sdsdot(k + 1, -a(i, k + 1), a.at(i, 0), lda, a.at(0, k + 1), 1);
        }
        if (!take_pivot(k + 1)) return k + 2;
    }
    return 0;
}

// inverse(A) = inverse(U) * inverse(L), formed row by row from the last row.
void invert_doolittle(const Columns& a, std::int64_t n, double* row) {
    const std::int64_t lda = a.lda();
    for (std::int64_t k = n - 2; k >= 0; --k) {
        for (std::int64_t i = n - 1; i > k; --i) {
            a(i, k) = -sdsdot(i - k - 1, a(i, k), a.at(i, k + 1), lda, a.at(k + 1, k), 1);
        }
    }
    for (std::int64_t i = n - 1; i >= 0; --i) {
        for (std::int64_t c = 0; c < n; ++c) {
            const double lower = c < i ? a(i, c) : (c == i ? 1.0 : 0.0);
            row[c] = -sdsdot(n - 1 - i, -lower, a.at(i, i + 1), lda, a.at(i + 1, c), 1) / a(i, i);
        }
        for (std::int64_t c = 0; c < n; ++c) a(i, c) = row[c];
    }
}

// inverse(A) = inverse(U) * inverse(L), formed column by column from the last column.
void invert_crout(const Columns& a, std::int64_t n, double* column) {
    const std::int64_t lda = a.lda();
    for (std::int64_t k = n - 1; k >= 1; --k) {
        for (std::int64_t i = k - 1; i >= 0; --i) {
            a(i, k) = -sdsdot(k - i - 1, a(i, k), a.at(i, i + 1), lda, a.at(i + 1, k), 1);
        }
    }
    for (std::int64_t k = n - 1; k >= 0; --k) {
        const double reciprocal = 1.0 / a(k, k);
        for (std::int64_t i = 0; i < n; ++i) {
            const double upper = i < k ? a(i, k) : (i == k ? 1.0 : 0.0);
            column[i] = -sdsdot(n - 1 - k, -upper, a.at(i, k + 1), lda, a.at(k + 1, k), 1) * reciprocal;
        }
        for (std::int64_t i = 0; i < n; ++i) a(i, k) = column[i];
    }
}

// The row exchanges of the factorisation, undone as column exchanges.
void unpermute_columns(const Columns& a, std::int64_t n, std::int64_t* perm) {
    for (std::int64_t j = 0; j < n; ++j) {
        while (perm[j] != j) {
            const std::int64_t target = perm[j];
            for (std::int64_t i = 0; i < n; ++i) std::swap(a(i, j), a(i, target));
            std::swap(perm[j], perm[target]);
        }
    }
}

InverseResult invert(double* storage, std::int64_t n, std::int64_t lda, std::int64_t* perm, double* work,
                     Factors kind) {
    if (n < 1 || n > kMaxKernelOrder || lda < n) return {MatrixStatus::bad_dimension, 0};
    const Columns a(storage, lda);
    if (!matrix_is_finite(storage, n, lda)) return {MatrixStatus::not_finite, 0};

    std::array<double, kMaxKernelOrder * kMaxKernelOrder> saved;
    const Columns copy(saved.data(), n);
    for (std::int64_t j = 0; j < n; ++j) {
        for (std::int64_t i = 0; i < n; ++i) copy(i, j) = a(i, j);
    }
    auto restore = [&] {
        for (std::int64_t j = 0; j < n; ++j) {
            for (std::int64_t i = 0; i < n; ++i) a(i, j) = copy(i, j);
        }
    };

    if (const std::int64_t column = factorise(a, n, perm, kind); column != 0) {
        restore();
        return {MatrixStatus::singular, column};
    }
    if (kind == Factors::crout) {
        invert_crout(a, n, work);
    } else {
        invert_doolittle(a, n, work);
    }
    unpermute_columns(a, n, perm);
    if (!matrix_is_finite(storage, n, lda)) {
        restore();
        return {MatrixStatus::not_finite, 0};
    }
    return {};
}

// sum plus the dot product of n strided elements of x and y, in element order.
double strided_dot(std::int64_t n, double sum, const double* x, std::int64_t incx, const double* y,
                   std::int64_t incy) {
    if (incx == incy && incx > 0) {
        for (std::int64_t i = 0; i < n * incx; i += incx) sum += x[i] * y[i];
        return sum;
    }
    std::int64_t ix = walk_start(n, incx);
    std::int64_t iy = walk_start(n, incy);
    for (std::int64_t k = 0; k < n; ++k, ix += incx, iy += incy) sum += x[ix] * y[iy];
    return sum;
}

}  // namespace

double sdsdot(std::int64_t n, double sb, const double* x, std::int64_t incx, const double* y,
              std::int64_t incy) {
    return strided_dot(n, sb, x, incx, y, incy);
}

double sdotm(std::int64_t n, const double* x, std::int64_t incx, const double* y, std::int64_t incy) {
    double sum = 0.0;
    if (n <= 0) return sum;
    if (incx == 1 && incy == 1) {
        const std::int64_t head = n % 5;
        for (std::int64_t i = 0; i < head; ++i) sum += x[i] * y[i];
        if (n < 5) return sum;
        for (std::int64_t i = head; i < n; i += 5) {
            sum = sum + x[i] * y[i] + x[i + 1] * y[i + 1] + x[i + 2] * y[i + 2] + x[i + 3] * y[i + 3] +
                  x[i + 4] * y[i + 4];
        }
        return sum;
    }
    return strided_dot(n, sum, x, incx, y, incy);
}

InverseResult mb01bd(double* a, std::int64_t n, std::int64_t lda) {
    std::array<std::int64_t, kMaxKernelOrder> perm;
    std::array<double, kMaxKernelOrder> work;
    return invert(a, n, lda, perm.data(), work.data(), Factors::doolittle);
}

InverseResult mb01cd2(double* a, std::int64_t n, std::int64_t lda) {
    std::array<std::int64_t, kMaxKernelOrder> perm;
    std::array<double, kMaxKernelOrder> work;
    return mb01cd(a, n, lda, perm, work);
}

InverseResult mb01cd(double* a, std::int64_t n, std::int64_t lda, std::span<std::int64_t> perm,
                     std::span<double> work) {
    if (n < 1 || std::ssize(perm) < n || std::ssize(work) < n) return {MatrixStatus::bad_dimension, 0};
    return invert(a, n, lda, perm.data(), work.data(), Factors::crout);
}

bool matrix_is_finite(const double* a, std::int64_t n, std::int64_t lda) {
    for (std::int64_t j = 0; j < n; ++j) {
        for (std::int64_t i = 0; i < n; ++i) {
            if (!std::isfinite(a[i + j * lda])) return false;
        }
    }
    return true;
}

void la02dd(double* a, std::int64_t lda, std::int64_t n, const double* u, const double* v, double alpha) {
    for (std::int64_t j = 0; j < n; ++j) {
        for (std::int64_t i = 0; i < n; ++i) a[i + j * lda] -= alpha * u[i] * v[j];
    }
}

}  // namespace imm
