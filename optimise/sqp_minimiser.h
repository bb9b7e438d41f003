// Bounded sequential quadratic programming: a quasi-Newton approximation of the
// Hessian of the Lagrangian, a step from the quadratic subproblem, a line search
// on a penalty merit function and Powell's damped BFGS update. The constraint
// counts come from the shared block a2, the parameter box from a1.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "optimise/objective.h"
#include "optimise/parameter_box.h"
#include "optimise/sqp_state.h"

namespace imm {

struct SqpOptions {
    std::int64_t parameter_count = 0;
    std::int64_t iteration_limit = 199;
    double tolerance = 0.0;
    // The size of the objective that the tolerance is relative to: the
    // convergence measure and the line search's slope are compared with
    // tolerance * objective_scale.
    double objective_scale = 1.0;
    std::int64_t line_search_limit = 5;  // trial steps per line search
    std::int64_t iterations = 0;         // iterations already made
    std::int64_t qp_mode = 1;            // start mode of the first subproblem
    // The first Hessian approximation, column-major n x n; the identity when empty.
    std::span<const double> initial_hessian{};
    // The box every step keeps to, through the subproblem's step bounds and the
    // reflection of trial points; without it steps are free and the trial points
    // are reflected into the model's box of factor 10 around the start.
    std::optional<ParameterBox> box{};
};

// Completion codes.
enum SqpInfo : std::int64_t {
    kSqpConverged = 1,        // ξ at its bound with the measure at the tolerance, or a step too small
    kSqpIterationLimit = 2,
    kSqpLineSearchLimit = 3,  // a line search needed more trials than allowed
    kSqpNotDownhill = 4,      // the direction is not downhill for the merit (or not finite)
    kSqpSubproblemFailed = 5, // ξ fell to zero or left its upper bound, or the QP failed
    kSqpStepBound = 6,        // a bound on a step component is active
};

struct SqpResult {
    double f = 0.0;                   // objective at the returned point
    std::int64_t info = -1;           // completion code
    double convergence_measure = 0.0;
    std::int64_t iterations = 0;
};

// Minimises from x (25 entries, the first parameter_count in use). x and
// derivatives hold the returned point and its last evaluation. A result worse
// than five times the start value gives back the start point and value.
SqpResult vmcon(ConstrainedObjective& objective, const SqpOptions& options, std::span<double> x,
                ObjectiveDerivatives& derivatives, VmconState& state);

}  // namespace imm
