// Standard errors, 95% confidence half-widths and the correlation matrix of
// the fitted parameters, from the Jacobian of the weighted residuals.
#pragma once

#include "support/shared_blocks.h"

#include <array>
#include <cstdint>
#include <span>

namespace imm {

// Square matrices are column-major with leading dimension np.
struct StandardErrors {
    std::array<double, kMaxParams * kMaxParams> finfo{};    // J'J
    std::array<double, kMaxParams * kMaxParams> corrmat{};  // correlation, all 0 when the inversion failed
    std::array<double, kMaxParams> separ{};                 // standard errors, NaN when the inversion failed
    std::array<double, kMaxParams> parcl{};                 // 95% half-widths, NaN when the inversion failed
    bool inversion_failed = false;                          // the user was shown the inversion box
};

// fjac: n rows by np columns, column-major with leading dimension kMaxRows;
// ssq: the sum of squares of the fit. Requires 1 <= np <= kMaxParams and np < n.
// Shows "Mat Inversion: Matrix diagonal = 0!" when J'J cannot be inverted or its
// inverse has a diagonal element that is not positive and finite.
StandardErrors stderrpar(std::int64_t n, std::int64_t np, std::span<const double> fjac, double ssq);

}  // namespace imm
