// Start values of the model parameters guessed from the data and polished by
// golden-section, coordinate and random searches.
#pragma once

#include <span>

#include "optimise/objective.h"
#include "optimise/random_context.h"

namespace imm {

// init_estimates: writes the nparam start values of the current model
// (a1.nmdl, a3.nparam) into p. The objective is the model fit's calcfg.
void init_estimates(std::span<double> p, Objective& objective, RandomContext& random);

}  // namespace imm
