// Start values of the model parameters guessed from the data and polished by
// golden-section, coordinate and random searches.
#pragma once

#include <cstdint>
#include <span>

#include "optimise/random_context.h"

namespace imm {

// The guess from the data before any search: Km from the mean [So] and the
// number of curves, Vm from the slope at the start of the first curve, and the
// background or time offset from the first rows (0 for the other models).
struct StartGuess {
    double km = 0.0;
    double vm = 0.0;
    double third = 0.0;
};
StartGuess guess_start_values(std::int64_t model, std::int64_t curves, std::int64_t rows_in_first_curve);

// init_estimates: writes the a3.nparam start values of the model being fitted
// (global_types.imdlno, equal to a1.nmdl) into p, from the data in a1.
void init_estimates(std::span<double> p, RandomContext& random);

}  // namespace imm
