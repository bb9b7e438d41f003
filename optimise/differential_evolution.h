// Differential evolution: a population of trial vectors inside a parameter
// box, three mutation strategies chosen at random per member, a local probe
// around one member in each generation, re-seeding of half the population
// every 50 generations, and a periodic convergence test. The model fit and
// the breakpoint analysis run it with their own options.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>

#include "optimise/objective.h"
#include "optimise/parameter_box.h"
#include "optimise/random_context.h"

namespace imm {

// Every parameter takes part.
inline constexpr std::array<bool, kMaxParams> kAllParameters = [] {
    std::array<bool, kMaxParams> mask{};
    mask.fill(true);
    return mask;
}();

struct EvolutionOptions {
    ParameterBox box;                    // reflection box of every trial
    std::array<bool, kMaxParams> active = kAllParameters;  // held parameters never change
    std::int64_t generations = 600;      // generation limit
    std::int64_t population = 0;         // members; 0 means min(20 n, 100)
    // Every second member of the first population is one of the best points of
    // a grid over the whole box (logarithmic over the upper `spread_decades`
    // decades of a box that starts at 0; 8, 5 or 3 levels a parameter for 2, 3
    // or more parameters) instead of a point within half the start's size of
    // the start, so that minima far from the start are found.
    bool spread_over_box = false;
    double spread_decades = 6.0;
    double crossover = 0.95;             // CR
    double scale = 0.85;                 // F
    double second_scale = 0.008;         // F2
    double tolerance = 1e-5;             // relative change of the best value at a check
    bool random_thresholds = true;       // strategy thresholds drawn anew after generation 1
    std::int64_t check_interval = 2;     // generations between convergence checks
    std::int64_t check_probe_from = 0;   // from here on, even checks probe around the best member; 0 never
    bool reflect_converged = true;       // reflect the converged vector before its last evaluation
    bool fallback_to_reflected_start = false;  // give back the start after its first reflection
    bool square_converged = false;       // the converged value is squared
    bool square_trace = false;           // the trace shows squared values
    std::FILE* trace = nullptr;          // "OBJ FUNC = " lines when set
};

struct EvolutionResult {
    std::array<double, kMaxParams> parameters{};  // the vector that `value` belongs to
    double value = 0.0;
    std::int64_t generations = 0;       // generations run
    std::int64_t progress_count = 0;    // one per fourth generation
    std::int64_t evaluations = 0;       // objective evaluations
    bool converged = false;
};

// Minimises `objective` from `start` (its size is the parameter count, at
// most 25). `reference` is the caller's value for the start: the result is
// never worse, the start and `reference` come back otherwise. A value that
// is not a number counts as 4.5e15; every value lies in [2.22e-16, 4.5e15],
// and a result at 4.5e15 is no improvement. Throws std::invalid_argument for
// more than 25 parameters, a population below 5 or a check interval below 1.
EvolutionResult differential_evolution(Objective& objective, std::span<const double> start, double reference,
                                       const EvolutionOptions& options, RandomContext& random);

// The default population: min(20 n, 100).
std::int64_t evolution_population(std::int64_t parameter_count);

}  // namespace imm
