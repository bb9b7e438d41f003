// The six integrated Michaelis-Menten models: product or substrate against time,
// plain, with a background, or with a time offset.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace imm {

// Model value at time t for a curve starting at so, for the model number a1.nmdl.
// p holds Km, Vm and, for models 2, 3, 5 and 6, the background or time offset.
// y (the observed value) is not read. NaN when a parameter read, or the
// effective time, is not finite; 0 for a model number outside 1..6.
double func(double t, double so, double y, std::span<const double> p);

// Parameter count n and title of a model (0 and "0- MODEL NOT DEFINED!" for an
// unknown number). The title keeps its length: blank-padded or cut.
void npar(std::int64_t model, std::string& title, std::int64_t& n);

}  // namespace imm
