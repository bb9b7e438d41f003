// Further routines for the principal Lambert W function and the logarithm, kept
// beside the ones the models use.
#pragma once

namespace imm {

// ln x by the series 2(y + y^3/3 + ... + y^9/9), y = (x - 1)/(x + 1); -1e-16 for x = 0.
double vlog(double x);

// Principal W of max(x, 0): a two-logarithm start, Fritsch steps, then Halley steps.
double omegaw(double x);

// Principal W of max(x, 0): a rational-logarithmic start and up to ten Halley steps.
double omegw(double x);

// Principal W, kept positive: a NaN counts as 1e-8, x at least 1e-8·|x|.
double omagaw(double x);

}  // namespace imm
