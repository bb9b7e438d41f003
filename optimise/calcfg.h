// The objective of the local minimisers: the current model's sum of squares
// for the run's weighting mode, its gradient, and the constraints that keep
// each parameter non-negative and above the lower bound of its box.
#pragma once

#include <span>
#include <stdexcept>

#include "optimise/model_objective.h"
#include "optimise/objective.h"

namespace imm {

// A model number the objective cannot evaluate: the run must end.
class ModelLimitExceeded : public std::runtime_error {
public:
    ModelLimitExceeded() : std::runtime_error("Model # exceeded limit!") {}
};

// calcfg. Both paths read a1.nmdl, a3.weight_mode and the rows of a1 at each
// call and set the constraint counts of a2 (4 for models 1 and 4, 6 for the
// others). A model number outside 1..a2.model_limit shows the warning
// "Model # exceeded limit!" and the error "* * * ERROR: ABORTED RUN * * *"
// and throws ModelLimitExceeded.
class Calcfg : public ConstrainedObjective {
public:
    // In weighting mode 2 the rows weigh `held` when given, else the robust
    // weights of the residuals at each point.
    explicit Calcfg(HeldWeights held = {}) : held_(held), sum_of_squares_(0, held) {}

    // The sum of squares alone, equal bit for bit to the value of `evaluate`.
    double value(std::span<const double> x) override;
    // Also the gradient (by Richardson-extrapolated central differences), the
    // constraints x_i >= 0 for Km and Vm, x_i - lo_i >= 0 for every parameter,
    // also in place of x_3 >= 0 (lo of the box of factor 100 around x over the
    // a1 rows of the run), and their Jacobian.
    double evaluate(std::span<const double> x, ObjectiveDerivatives& derivatives) override;

private:
    HeldWeights held_;
    ModelSumOfSquares sum_of_squares_;
};

}  // namespace imm
