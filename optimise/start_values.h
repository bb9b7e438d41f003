// Start values of the model parameters guessed from the data and polished by
// golden-section, coordinate and random searches.
#pragma once

#include <span>

#include "optimise/random_context.h"

namespace imm {

// init_estimates: writes the a3.nparam start values of the model being fitted
// (global_types.imdlno, equal to a1.nmdl) into p, from the data in a1.
void init_estimates(std::span<double> p, RandomContext& random);

}  // namespace imm
