// The Lambert W function: the principal branch W(x) (the Omega function), with
// w·e^w = x, and the lower branch W-1.
#pragma once

#include <cstdint>

namespace imm {

// Principal W by a fixed start and four fixed steps. Returns 0 for x <= 0 except
// -1 at the double nearest -1/e, and 100 for x >= 3e45; a NaN propagates.
double omega_wo(double x);

// Principal W with the same special points, by a start suited to the range of x
// and one Fritsch step.
double omega_wp(double x);

// W on branch 0 (branch == 0) or branch -1 (branch != 0). With offset_mode == 1,
// x is the distance from the branch point -1/e. Arguments outside the branch give
// -1.7976931348623157e308 on branch -1.
double lambert_w(double x, std::int64_t branch, std::int64_t offset_mode);

}  // namespace imm
