// Finite-difference gradient of the sum of squares and Jacobian of the weighted
// residuals, over the data rows of a1 for the model a1.nmdl. None allocates.
#pragma once

#include "model/robust_weights.h"
#include "support/shared_blocks.h"

#include <array>
#include <cstdint>
#include <span>

namespace imm {

struct Gradient {
    std::array<double, kMaxParams> grad{};  // entries beyond a3.nparam are 0
    double ssq = 0.0;                       // sum of squares at par for a3.weight_mode
};

// Gradient by central differences refined by Richardson extrapolation on a
// shrinking step. Reads rows 1..a3.ndata of a1 and parameters 1..a3.nparam of par.
// In weighting mode 2 the rows weigh `held` when it is given, else the robust
// weights of the residuals at par; so do those of the routines below.
Gradient derivat(std::span<const double> par, HeldWeights held = {});

// The same gradient by a single central difference.
Gradient derivatives(std::span<const double> par, HeldWeights held = {});

// fjac(k, j) := d(w(k)*(yobs(k) - model(k)))/d(par(j)) for rows k < n and
// parameters j < np, column-major with leading dimension kMaxRows, each the mean
// of the central differences over steps h and 2h. Also sets a1.ycalc(1..n) to
// the model values at par. Returns the sum of squares for a3.weight_mode.
double jacobian(std::int64_t n, std::int64_t np, std::span<double> fjac, std::span<const double> par,
                HeldWeights held = {});

}  // namespace imm
