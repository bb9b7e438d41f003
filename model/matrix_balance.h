// Balancing of a square matrix by powers of two (row and column norms made similar).
#pragma once

#include <cstdint>

namespace imm {

// Balances the n x n column-major matrix in a (leading dimension lda) in place.
void balance(double* a, std::int64_t n, std::int64_t lda);

}  // namespace imm
