// Ordering of objective values for the local searches: a value that is not a
// number is worse than every number, so it never passes as a decrease.
#pragma once

#include <cmath>

namespace imm {

// True when a is strictly better (lower) than b.
inline bool is_better(double a, double b) { return !std::isnan(a) && (a < b || std::isnan(b)); }

}  // namespace imm
