// Soft reflection of a parameter that left its box back inside it.
#pragma once

#include <cstdint>
#include <span>

#include "optimise/parameter_box.h"

namespace imm {

// abounds: moves v[i] back when it lies outside [lo[i], hi[i]], by a step
// close to v[i] atan(v[i]) / (2 pi) from the bound it crossed. A value far
// outside can land outside on the other side; a value that is not a number
// stays. A lower bound of 1.0000000036274937e-15 counts as 5.000000058430487e-08.
void abounds(std::int64_t i, std::span<double> v, std::span<const double> lo, std::span<const double> hi);

// abounds on every parameter of v, in order.
void reflect_into_box(std::span<double> v, const ParameterBox& box);

}  // namespace imm
