#include "optimise/model_evolution.h"

#include <memory>

#include "optimise/model_objective.h"
#include "optimise/parameter_box.h"
#include "support/shared_blocks.h"

namespace imm {

EvolutionResult evolve(std::span<const double> start, double reference, const ModelEvolutionOptions& options,
                       RandomContext& random)
{
    EvolutionOptions settings;
    const std::span<const double> box_reference = options.box_reference.empty() ? start : options.box_reference;
    settings.box = model_parameter_box(a1.nmdl, box_reference, 100.0, a3.ndata, a1);
    settings.active = options.active;
    settings.spread_over_box = true;
    settings.generations = options.max_generations == 0 ? 600 : options.max_generations;
    settings.square_converged = options.square_values;
    settings.square_trace = options.square_values;
    settings.trace = options.trace;
    // Relative weighting does not enter the evolution's sum.
    auto objective = std::make_unique<ModelSumOfSquares>(a3.weight_mode == 2 ? 2 : 0, options.held_weights);
    return differential_evolution(*objective, start, reference, settings, random);
}

}  // namespace imm
