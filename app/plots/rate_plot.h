// The rate (saturation) plot: the fitted Michaelis-Menten rate curve of the last
// fitted model and one point per data curve. Modal.
#pragma once

#include <cstdint>
#include <span>

namespace imm {

// Draws the saturation table of a4 with one point per curve (global_types.idatasets)
// at ([So], V [So] / ([So] + Km)), under global_types.strmdl.
void satplot();

// Draws the points as large dots and the curve as a line, both blue, with axis
// ranges from the curve alone, under global_types.strmdl and "Saturation Plot".
void plot_rate_s(std::span<const double> curve_x, std::span<const double> curve_y,
                 std::span<const double> point_x, std::span<const double> point_y);

}  // namespace imm
