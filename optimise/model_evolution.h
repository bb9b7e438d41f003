// Stage 1 of a model fit: the differential evolution over the current
// model's parameters.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

#include "model/robust_weights.h"
#include "optimise/differential_evolution.h"
#include "optimise/random_context.h"

namespace imm {

struct ModelEvolutionOptions {
    std::int64_t max_generations = 0;  // 0 means 600
    std::array<bool, kMaxParams> active = kAllParameters;
    bool square_values = false;        // squares the converged value and the trace
    std::FILE* trace = nullptr;        // "OBJ FUNC = " lines when set
    HeldWeights held_weights{};        // robust weights held fixed; empty: recomputed at each point
    std::span<const double> box_reference{};  // what the box is built around; empty: the start
};

// evolve: minimises the sum of squares of the model a1.nmdl over the a3.ndata
// rows of a1 (robust weights when a3.weight_mode is 2, else every row weighs
// 1) from `start`, inside the model's box of factor 100 around the start (or
// around options.box_reference); half its first population comes from a grid
// over that box. `reference` is the
// caller's value for the start; the result is never worse.
EvolutionResult evolve(std::span<const double> start, double reference, const ModelEvolutionOptions& options,
                       RandomContext& random);

}  // namespace imm
