#include "optimise/calcfg.h"

#include <algorithm>
#include <array>

#include "model/derivatives.h"
#include "optimise/parameter_box.h"
#include "support/shared_blocks.h"
#include "window/window.h"

namespace imm {

namespace {

// Parameters of the model: 2 for models 1 and 4, 3 for the others. Shows the
// two boxes and throws for a model number the run cannot have.
std::int64_t checked_parameter_count()
{
    const std::int64_t model = a1.nmdl;
    if (model > a2.model_limit || model < 1 || model > kModelCount) {
        dlgmessage(2, "Model # exceeded limit!");
        dlgmessage(3, "* * * ERROR: ABORTED RUN * * *");
        throw ModelLimitExceeded();
    }
    const std::int64_t count = (model == 1 || model == 4) ? 2 : 3;
    a2.constraint_count = 2 * count;
    a2.equality_count = 0;
    return count;
}

}  // namespace

double Calcfg::value(std::span<const double> x)
{
    checked_parameter_count();
    // As the gradient routine does: the first a3.nparam parameters, the rest 0.
    const auto used = static_cast<std::size_t>(std::clamp<std::int64_t>(a3.nparam, 0, kMaxParams));
    std::array<double, kMaxParams> p{};
    std::copy_n(x.begin(), std::min(x.size(), used), p.begin());
    return sum_of_squares_.sum(p, a3.weight_mode);
}

double Calcfg::evaluate(std::span<const double> x, ObjectiveDerivatives& derivatives)
{
    derivatives.gradient.fill(0.0);
    derivatives.constraint_jacobian.fill(0.0);
    const std::int64_t count = checked_parameter_count();
    const ParameterBox box = model_parameter_box(a1.nmdl, x, 100.0, global_types.idat, a1);
    for (std::int64_t i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        // Km and Vm are non-negative; a background or time offset may be
        // negative down to its lower bound.
        derivatives.constraints[k] = i < 2 ? x[k] : x[k] - box.lower[k];
        derivatives.constraints[k + static_cast<std::size_t>(count)] = x[k] - box.lower[k];
        derivatives.jacobian(i, i) = 1.0;
        derivatives.jacobian(i, i + count) = 1.0;
    }
    const Gradient gradient = derivat(x, held_);
    derivatives.gradient = gradient.grad;
    return gradient.ssq;
}

}  // namespace imm
