// Robust weights of the data rows from their residuals: an M-estimate of the
// location of the absolute residuals with a sine-shaped weight function.
#pragma once

#include <span>

namespace imm {

// Robust weights held fixed while a fit stage runs, one per data row; empty
// when they are computed afresh from the residuals at every point.
using HeldWeights = std::span<const double>;

// Single-precision constants of the weight function, widened to double.
inline constexpr double kRobustC1 = 1.4830000400543213;
inline constexpr double kRobustC2 = 4.658999919891357;
inline constexpr double kRobustC1C2 = 6.909297067811963;
inline constexpr double kMinRobustWeight = 1e-6;

// w(i) := robust weight of residual r(i), every weight within [1e-6, 1].
// w must hold as many entries as r and must not overlap it. Allocates nothing.
void robust_wt(std::span<const double> r, std::span<double> w);

// Weight of a scaled deviation u before the final clamp to [1e-6, 1].
double robust_weight_of(double u);

// Approximate median from a histogram of 1001 bins over mean +- one standard deviation.
double binmedian(std::span<const double> x);

// Mean absolute deviation of x about centre, clamped to [1e-15, 1e15]; 1 when not a number.
double xmad2(std::span<const double> x, double centre);

// Ascending heapsort in place.
void sortwt(std::span<double> x);

// Median by a full sort of a copy, clamped to [1e-15, 1e15].
double median2(std::span<const double> x);

// Median by selection on a copy, clamped to [1e-15, 1e15].
double medianqs(std::span<const double> x);

}  // namespace imm
