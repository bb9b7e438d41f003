// The sum of squared residuals over data rows, weighted by a weighting mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace imm {

// Model values below this magnitude count as 1 in the relative mode.
inline constexpr double kRelativeFloor = 1.49e-8;

// Rows are summed in blocks of this many, each block in row order, and the
// blocks' sums then added in order: threads that share the rows in whole
// blocks, each summing its own, give the same bits as one thread.
inline constexpr std::size_t kSumBlock = 32;

// Sum over rows k < model.size() of r*r for r = observed(k) - model(k), each
// term weighted by the mode: 0 weighs every row 1; 1 divides by |model(k)|, or
// by 1 where that is below floor; 2 multiplies by weights(k); any other mode
// sums nothing. Summed by blocks of kSumBlock rows. weights is read only in
// mode 2. Does not allocate.
double weighted_sum_of_squares(std::span<const double> observed, std::span<const double> model,
                               std::span<const double> weights, std::int64_t weight_mode,
                               double floor = kRelativeFloor);

}  // namespace imm
