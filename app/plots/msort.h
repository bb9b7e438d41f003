// Sorting by repeated selection of the largest value, as the rate plot orders its points.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace imm {

// The values in descending order (flag 0) or ascending order (flag non-zero).
// Values at or below -123456792 and values that are not numbers are left out;
// their places hold 0, at the end of a descending result and at the front of an
// ascending one. A single value is returned as it is.
std::vector<double> msort(std::span<const double> values, std::int32_t ascending);

}  // namespace imm
