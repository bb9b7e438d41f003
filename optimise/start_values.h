// Start values of the model parameters guessed from the data and polished by
// golden-section, coordinate and random searches.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "optimise/random_context.h"
#include "support/shared_blocks.h"

namespace imm {

// The guess from the data before any search: Km from the mean [So] and the
// number of curves, Vm from the slope at the start of the first curve (rows of
// one time paired with the next row of another time), and the
// background or time offset from that curve's first rows (its last rows for
// the substrate background; 0 for the other models). The first curve is the
// one of rows_in_first_curve rows from row first_row (0-based); init_estimates
// takes the first curve whose [So] is above zero.
struct StartGuess {
    double km = 0.0;
    double vm = 0.0;
    double third = 0.0;
    double neighbours_vm = 0.0;  // Vm from each row and the next, times equal or not
};
StartGuess guess_start_values(std::int64_t model, std::int64_t curves, std::int64_t rows_in_first_curve,
                              std::int64_t first_row = 0);

// init_estimates: writes the a3.nparam start values of the model being fitted
// (global_types.imdlno, equal to a1.nmdl) into p, from the data in a1, and
// returns the vector the fit's boxes are built around: the start values, or
// for Km and Vm further out where the searches drove the guess to the floor or
// the first rows hold replicates.
std::array<double, kMaxParams> init_estimates(std::span<double> p, RandomContext& random);

}  // namespace imm
