// The quadratic subproblem of the SQP minimiser: a step s and a feasibility
// variable ξ in [0, 1] that relaxes the violated linearised constraints,
//   minimise ½·s'Bs + g's − big·ξ   subject to   A_j's + ξ·min(c_j, 0) ≥ −max(c_j, 0).
#pragma once

#include <cstdint>

#include "optimise/quadratic_program.h"
#include "optimise/sqp_state.h"

namespace imm {

// The bounds of the step components, n of each: ±sqrt(big_bound) when the
// step is free, nearer ones to keep the point inside a box.
struct StepBounds {
    const double* lower = nullptr;
    const double* upper = nullptr;
};

// n parameters, m constraints of which the first me are equalities; g the
// gradient, c the constraint values and jacobian (leading dimension 25) their
// gradients, whose row n the subproblem overwrites. info on return: 1 the step
// and the multipliers are set, 5 ξ fell to zero or left its upper bound, 6 a
// step component rests on a bound of ±sqrt(big_bound) (a step component at a
// box's bound is an ordinary solution). Returns the solver's status; on a
// failure info is 5 and the step is not usable.
QpStatus qpsub(std::int64_t n, std::int64_t m, std::int64_t me, const double* g, const double* c,
               double* jacobian, StepBounds bounds, std::int64_t& info, std::int64_t mode, VmconState& state);

}  // namespace imm
