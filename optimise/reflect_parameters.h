// Reflection of a parameter vector into its box as the local searches do it:
// the third parameter alone when there are three, every parameter otherwise.
#pragma once

#include <span>

#include "optimise/parameter_box.h"

namespace imm {

// Applies abounds as described; true when a parameter moved.
bool reflect_parameters(std::span<double> p, const ParameterBox& box);

}  // namespace imm
