// Inverses of the information matrix: LU with partial pivoting and its
// fallback, Gauss-Jordan elimination with full pivoting. Column-major storage.
#pragma once

#include "optimise/matrix_kernels.h"

#include <cstdint>

namespace imm {

// a := inverse(a) of order n (leading dimension lda), by LU factorisation with
// partial pivoting. A zero pivot gives singular with its column in zero_pivot.
// On any status but ok the matrix is left as it was.
InverseResult lumatinv(std::int64_t n, double* a, std::int64_t lda);

// a := inverse(a) by Gauss-Jordan elimination with full pivoting. A step that
// finds no non-zero pivot gives singular; on any status but ok the matrix is
// left as it was.
InverseResult invertmat(double* a, std::int64_t n, std::int64_t lda);

// invertmat, except that a 1 x 1 zero becomes 1 (still reported singular).
InverseResult invmat(double* a, std::int64_t n, std::int64_t lda);

}  // namespace imm
