#pragma once

namespace imm {

// e^x from a table of e^k and a short product for the fraction; 1.0 for a NaN,
// clamped to 1e32 / 1e-32 for |x| >= 70.
double qexp(double x);

}  // namespace imm
