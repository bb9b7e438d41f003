// The Gauss-Newton approximation of the Hessian of the model's sum of squares,
// a start for the quasi-Newton matrix of the bounded stage.
#pragma once

#include <span>
#include <vector>

#include "model/robust_weights.h"

namespace imm {

// 2 J'WJ, J the Jacobian of the residuals of the model a1.nmdl over the
// a3.ndata rows of a1 at p and W the held robust weights (or none), as an
// n x n column-major matrix; empty when it is not positive definite. a1.ycalc
// is left as it was.
std::vector<double> gauss_newton_hessian(std::span<const double> p, HeldWeights held);

}  // namespace imm
