// Two-sided 95% point of Student's t distribution.
#pragma once

#include <cstdint>

namespace imm {

// t value for df degrees of freedom, to two decimals, as a single-precision
// value widened to double; not a number for df < 1.
double tvalue(std::int64_t df);

}  // namespace imm
