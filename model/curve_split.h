// Splitting the data rows into curves by their initial substrate concentration.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "support/shared_blocks.h"

namespace imm {

// Splits rows with the [So] column so into curves: a curve begins at the first
// row whose [So] differs from the [So] of the current curve's first row by more
// than 1e-7 of the larger of the two (about seven significant digits, in any
// units). counts gets the rows of each of the first ten curves, ncurves their
// number (at most ten; the rows of later curves are in no count). Returns the
// true number of curves, which may exceed ten.
std::int64_t split_curves(std::span<const double> so, std::array<std::int64_t, kMaxCurves>& counts,
                          std::int64_t& ncurves);

// split_curves over the global_types.idat rows of a1.
std::int64_t ycurves(std::array<std::int64_t, kMaxCurves>& counts, std::int64_t& ncurves);

}  // namespace imm
