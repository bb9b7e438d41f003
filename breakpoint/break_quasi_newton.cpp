#include "breakpoint/break_quasi_newton.h"

#include <stdexcept>

namespace imm {

QuasiNewtonResult va10d(const BreakCurve& curve, std::span<double> p, std::span<double> h,
                        const BreakQuasiNewtonOptions& options)
{
    if (p.size() != 4 && p.size() != 5) {
        throw std::invalid_argument("break quasi-Newton: the break model has 4 or 5 parameters");
    }
    const auto np = static_cast<std::int64_t>(p.size());
    const ParameterBox box = break_box(np, curve, kEvolutionBreakBox);
    QuasiNewtonOptions settings;
    settings.mode = options.mode;
    settings.max_evaluations = options.max_evaluations;
    settings.step = 0.00100001;
    settings.bound_rule = BoundRule::reflect_always;
    settings.start_limit = 1e15;
    settings.flags = std::span<const std::int32_t>(options.flags).first(p.size());
    BreakObjective objective(curve);
    const std::span<const double> lower = std::span<const double>(box.lower).first(p.size());
    const std::span<const double> upper = std::span<const double>(box.upper).first(p.size());
    return quasi_newton(objective, p, lower, upper, h, settings);
}

}  // namespace imm
