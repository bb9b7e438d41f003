// The current model's values over a range of data rows: the objective's and
// the derivatives' inner loop.
#pragma once

#include <cstddef>
#include <span>

namespace imm {

// func of rows begin..end-1 of a1 at p, for the model a1.nmdl, into
// values[begin..end-1], bit for bit as func gives them row by row. Rows are
// taken in blocks, their exponentials and Omega steps side by side and, where
// the processor has AVX2, four at once: a row then takes under a third of the
// time it takes alone.
void model_rows(std::size_t begin, std::size_t end, std::span<const double> p, std::span<double> values);

}  // namespace imm
