// The regression driver's model loop: each chosen model is fitted and reported in
// turn, and the caller told of it; then the models are ranked, the best model's
// data and saturation table restored and the report closed.
#pragma once

#include <string>

#include "engine/regression_driver.h"
#include "engine/run_failure.h"
#include "engine/run_workspace.h"
#include "optimise/random_context.h"

namespace imm {

// Fits run.mdl_checked(1..global_mdl_count) on the rows read into run and a1.
// Writes the report to the unit iinout.results_unit, ending with the record
// naming `report`. Returns the failure that ends the run, if any.
RunCheck fit_chosen_models(RunWorkspace& run, const std::string& report, RandomContext& random,
                           const RunOptions& options);

}  // namespace imm
