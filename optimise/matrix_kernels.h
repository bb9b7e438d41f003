// Dense kernels of the quadratic- and linear-programming solvers: strided dot
// products, in-place inverses with partial pivoting and a rank-one update.
// Matrices are column-major with an explicit leading dimension.
#pragma once

#include <cstdint>
#include <span>

namespace imm {

// Largest order the in-place inverses accept (the bordered system of the QP solver).
inline constexpr std::int64_t kMaxKernelOrder = 50;

enum class MatrixStatus {
    ok,
    singular,       // a pivot column held only zeros
    not_finite,     // an entry of the matrix or of its inverse is not finite
    bad_dimension,  // n < 1, n above the kernel's limit, or lda < n
};

// On any status but ok the matrix is left exactly as it was passed.
struct InverseResult {
    MatrixStatus status = MatrixStatus::ok;
    std::int64_t zero_pivot = 0;  // column (1-based) whose pivot was zero, when singular
};

// sb + sum of x(kx)*y(ky) over n strided elements; a negative increment walks
// its vector from the far end.
double sdsdot(std::int64_t n, double sb, const double* x, std::int64_t incx, const double* y,
              std::int64_t incy);

// Sum of x(kx)*y(ky) over n strided elements, unrolled by five for unit strides.
double sdotm(std::int64_t n, const double* x, std::int64_t incx, const double* y, std::int64_t incy);

// a := inverse of the n x n matrix in a (Doolittle factors, inverse formed by rows).
InverseResult mb01bd(double* a, std::int64_t n, std::int64_t lda);

// a := inverse of the n x n matrix in a (Crout factors, inverse formed by columns).
InverseResult mb01cd2(double* a, std::int64_t n, std::int64_t lda);

// mb01cd2 with the work vectors supplied by the caller (n entries each).
InverseResult mb01cd(double* a, std::int64_t n, std::int64_t lda, std::span<std::int64_t> perm,
                     std::span<double> work);

// True when every entry of the n x n matrix in a is finite.
bool matrix_is_finite(const double* a, std::int64_t n, std::int64_t lda);

// a(i, j) := a(i, j) - alpha*u(i)*v(j) for i, j = 1..n.
void la02dd(double* a, std::int64_t lda, std::int64_t n, const double* u, const double* v,
            double alpha);

}  // namespace imm
