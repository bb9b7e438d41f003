// The regression driver: one call performs one Run or Rerun on a data file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "breakpoint/break_cascade.h"
#include "engine/model_fit.h"
#include "optimise/random_context.h"

namespace imm {

// Status codes of a run.
inline constexpr std::int64_t run_finished = 0;
inline constexpr std::int64_t run_missing_file = 1;    // the data file does not exist
inline constexpr std::int64_t run_file_error = 2;      // a file cannot be read or written, the data file is not a
                                                       // regular file, or data and report are one file
inline constexpr std::int64_t run_bad_data = 3;        // size, rows, columns, values or curves out of range
inline constexpr std::int64_t run_model_limits = 5;    // too many parameters, or too few rows for the model
inline constexpr std::int64_t run_model_columns = 6;   // the column count does not suit the model
inline constexpr std::int64_t run_product_check = 9;   // product data below -0.5 * maximum (models 1 and 3)

// What the caller of a run adds to it or changes about it.
struct RunOptions {
    bool fit_models = true;  // false: end once the file is read and checked (fuzzing)
    // Called after the stages of each model (model number, its fit).
    std::function<void(std::int64_t, const ModelFitResult&)> on_fit;
    // Called once a fitted model's section is in the report and its fitted values
    // are in a1 (the program shows the XY plot).
    std::function<void()> on_model_reported;
    StageLimits stage_limits{};      // the optimisers' limits in each fit
    bool analyse_breakpoints = true;  // false: every curve's suggested range is N/A
    BreakLimits break_limits{};       // the breakpoint analysis's limits
};

// Runs the chosen models (global_types.imdl) on the data file with the caller's
// random generators. The name is completed in place (left-adjusted, trimmed,
// ".in" added to a last component without "."); its case is kept. Every failure
// is reported in message boxes and through the status. The report replaces the
// old one only when the run has written a model section to it.
void sorvek_with(std::string& name, std::int64_t& status, RandomContext& random, const RunOptions& options);

}  // namespace imm
