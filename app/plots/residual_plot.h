// The residual plot: calculated minus observed value of every data row against
// the row number, with a line at zero. Modal.
#pragma once

#include <span>

namespace imm {

// Draws the residuals of rows 1..idat of a1 under global_types.strmdl; draws
// nothing without rows.
void resplot();

// Draws the residuals as large dots and the zero line, both blue; the y axis runs
// from -1.05 H to H, H the rounded top of the residuals, and lower when the
// smallest residual lies below -1.05 H: from -1.05 times its magnitude rounded
// up to a whole step of the top's scale.
void plot_residuals(std::span<const double> abscissae, std::span<const double> residuals);

}  // namespace imm
