// The results of a fitted model: its fitted curve, saturation table, breakpoint
// texts, gradient, standard errors and AICc, gathered for its report section.
#pragma once

#include <cstdint>
#include <span>

#include "breakpoint/break_cascade.h"
#include "engine/data_scale.h"
#include "engine/model_fit.h"
#include "engine/report_section.h"
#include "optimise/random_context.h"

namespace imm {

// For the model a1.nmdl fitted to the rows of a1: sets a1.ycalc, a3.curve_sign,
// a2.constraint_count and the whole of a4, analyses the curves' breakpoints (or,
// without analyse_curves, gives every curve the texts of no result) and computes
// the statistics, in the units the model was fitted in, given in the data's.
// `rows_per_curve` holds one count per curve; `fjac` (kMaxRows x kMaxParams) is
// the work area of the residual Jacobian; `break_limits` bound the breakpoint
// analysis. The result refers to the rows of a1.
ModelResults model_results(const ModelFitResult& fit, std::span<const double> initial,
                           std::span<const std::int64_t> rows_per_curve, std::span<double> fjac,
                           RandomContext& random, bool analyse_curves = true, const DataScale& scale = {},
                           const BreakLimits& break_limits = {});

// True when the fit's sum of squares and its first nparam parameters are finite
// numbers; any other fit is reported as not fitted.
bool fit_is_finite(const ModelFitResult& fit, std::int64_t nparam);

// What the section of a model that was not fitted shows: its head, counts and the
// sums of squares of the stages. Sets a2.constraint_count; a1.ycalc becomes 0.
ModelResults unfitted_model_results(const ModelFitResult& fit, std::int64_t curve_count);

// Writes the section of the results to the report unit, then clips the fitted
// values of a1 as the plots and the best model's copy see them. Returns the unit's status.
std::int64_t report_model(std::int64_t unit, const ModelResults& results);

}  // namespace imm
