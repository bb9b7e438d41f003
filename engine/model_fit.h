// Fitting one model in three stages: differential evolution and simplex;
// coordinate and random searches, then the quasi-Newton minimiser; the bounded
// SQP minimiser. After every optimiser the better of its result and the best
// point so far is kept.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "optimise/parameter_box.h"
#include "optimise/random_context.h"
#include "support/shared_blocks.h"

namespace imm {

class ProgressTitle;

using ParameterVector = std::array<double, kMaxParams>;

// The driver's bounds of the model's parameters around the reference P (the start
// values' box reference, init_estimates): Km and Vm in [0, 100 P], the background within its range (background_range),
// the time offset within half the largest time, every other entry +-1e6. A pair
// whose upper bound would not lie above its lower bound keeps +-1e6.
ParameterBox fit_bounds(std::int64_t model, std::int64_t nparam, std::span<const double> reference, std::int64_t rows,
                        const DataBlock& data);

// The simplex's first edge: 0.1 sqrt((P1^2 + P2^2)/2) / max(P1, P2); 0.1 when that
// maximum is not positive or the edge not finite.
double simplex_step(double p1, double p2);

// The best point of a model so far and the rule that keeps it after each
// optimiser: a result that is worse, or not a number, gives way to the best
// point (both are set back to it); any other result becomes the best point.
struct BestPoint {
    double f = 0.0;
    ParameterVector p{};

    void keep_better(double& f_new, ParameterVector& p_new);
};

// Objective evaluations and wall-clock seconds of one stage.
struct StageTally {
    std::int64_t evaluations = 0;
    double seconds = 0.0;
};

struct ModelFitResult {
    ParameterVector start{};         // the start values
    ParameterBox bounds{};           // the box the parameters were fitted in
    ParameterVector params{};        // the fitted parameters
    double ssq1 = 0.0;               // objective after stage 1, 2 and 3; ssq3 belongs to params
    double ssq2 = 0.0;
    double ssq3 = 0.0;
    double stage3_tolerance = 0.0;   // the SQP minimiser's tolerance
    std::int64_t stage3_code = -1;   // completion code of the SQP minimiser
    double convergence_measure = 0.0;
    std::int64_t stage3_iterations = 0;
    bool stage3_measure_finite = true;  // false: stage 3 was undone
    std::array<StageTally, 3> stages{};
};

// The optimisers' limits in a fit. A run keeps these; fuzzing lowers them.
struct StageLimits {
    std::int64_t generations = 500;               // differential evolution
    std::int64_t simplex_iterations = 500;
    std::int64_t stage2_passes = 30;              // coordinate and random searches
    std::int64_t quasi_newton_evaluations = 250;
    std::int64_t sqp_iterations = 199;
    std::int64_t sqp_passes = 10;                 // runs of the SQP minimiser from its own result
    std::int64_t robust_rounds = 30;              // rounds of stages 2 and 3 with weights taken afresh
};

// Fits the model a1.nmdl (with a3.nparam parameters, a3.weight_mode, the rows of
// a1) from `start` within `bounds`; the differential evolution builds its box
// around `box_reference` (the start values' own box reference, the start on a
// rerun). stage3_tolerance is the SQP tolerance of this model. Marks progress in
// `title`. Throws ModelLimitExceeded as the objective does.
ModelFitResult fit_model(std::span<const double> start, std::span<const double> box_reference,
                         const ParameterBox& bounds, double stage3_tolerance, ProgressTitle& title,
                         RandomContext& random, const StageLimits& stage_limits = {});

}  // namespace imm
