#include "breakpoint/break_evolution.h"

#include <algorithm>

namespace imm {

EvolutionOptions break_evolution_options(std::int64_t np, const BreakCurve& curve,
                                         const BreakEvolutionOptions& options)
{
    EvolutionOptions settings;
    settings.box = break_box(np, curve, kEvolutionBreakBox);
    for (std::int64_t i = 0; i < np; ++i) {
        const auto k = static_cast<std::size_t>(i);
        settings.active[k] = options.flags[k] != 0;
    }
    settings.generations = options.max_generations == 0 ? 600 : options.max_generations;
    settings.scale = 0.7;
    settings.second_scale = 0.005;
    settings.tolerance = 1e-6;
    settings.random_thresholds = false;
    settings.check_interval = 100;
    settings.check_probe_from = 201;
    settings.reflect_converged = false;
    settings.fallback_to_reflected_start = true;
    settings.square_trace = options.square_trace;
    settings.trace = options.trace;
    return settings;
}

EvolutionResult evol(const BreakCurve& curve, std::span<double> p, double reference,
                     const BreakEvolutionOptions& options, RandomContext& random)
{
    const auto np = static_cast<std::int64_t>(p.size());
    BreakObjective objective(curve);
    const EvolutionResult result =
        differential_evolution(objective, p, reference, break_evolution_options(np, curve, options), random);
    std::copy_n(result.parameters.begin(), p.size(), p.begin());
    return result;
}

}  // namespace imm
