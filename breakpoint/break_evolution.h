// The breakpoint analysis's differential evolution: the evolution core with
// the break model's box, rates and convergence checks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

#include "breakpoint/bent_hyperbola.h"
#include "optimise/differential_evolution.h"
#include "optimise/random_context.h"

namespace imm {

struct BreakEvolutionOptions {
    BreakFlags flags = kAllBreakFlags;  // zero holds a parameter
    std::int64_t max_generations = 0;   // 0 means 600
    bool square_trace = false;          // the trace shows squared values
    std::FILE* trace = nullptr;         // "OBJ FUNC = " lines when set
};

// evol: fits the break model (p.size() is 4 or 5) to the curve from p, inside
// the evolution's break box; p receives the result. `reference` is the
// caller's value for the start: the result is never worse, and the start
// (after its first reflection) comes back with `reference` otherwise.
EvolutionResult evol(const BreakCurve& curve, std::span<double> p, double reference,
                     const BreakEvolutionOptions& options, RandomContext& random);

// The core's options for evol.
EvolutionOptions break_evolution_options(std::int64_t np, const BreakCurve& curve,
                                         const BreakEvolutionOptions& options);

}  // namespace imm
