// The rate (saturation) plot: the fitted Michaelis-Menten rate curve of the model
// whose saturation table a4 holds and one point per data curve. Modal.
#pragma once

#include <cstdint>
#include <span>

namespace imm {

// Draws the saturation table of a4 with one point per curve (global_types.idatasets)
// at ([So], V [So] / ([So] + Km)), under global_types.strmdl. When the largest
// [So] lies beyond the table's curve (10 Km), the curve goes on to it.
void satplot();

// Draws the points as large dots and the curve as a line, both blue, under
// global_types.strmdl and "Saturation Plot". Each axis runs from 0 to 1.1 times
// the largest value of curve and points (from 1.1 times the smallest, when that
// is below 0).
void plot_rate_s(std::span<const double> curve_x, std::span<const double> curve_y,
                 std::span<const double> point_x, std::span<const double> point_y);

}  // namespace imm
