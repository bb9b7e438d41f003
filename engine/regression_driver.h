// The regression driver: one call performs one Run or Rerun on a data file.
#pragma once

#include <cstdint>
#include <string>

namespace imm {

// Status codes of a run.
inline constexpr std::int64_t run_finished = 0;
inline constexpr std::int64_t run_missing_file = 1;    // the data file does not exist
inline constexpr std::int64_t run_file_error = 2;      // a file cannot be opened, or data and report are one file
inline constexpr std::int64_t run_bad_data = 3;        // rows, columns, values or curves out of range
inline constexpr std::int64_t run_model_limits = 5;    // too many parameters, or too few rows for the model
inline constexpr std::int64_t run_model_columns = 6;   // the column count does not suit the model
inline constexpr std::int64_t run_product_check = 9;   // product data below -0.5 * maximum (models 1 and 3)

// Runs the chosen models (global_types.imdl) on the data file. The name is
// completed in place (left-adjusted, trimmed, ".in" added to a last component
// without "."); its case is kept. Every failure is reported in message boxes
// and through the status.
void sorvek(std::string& name, std::int64_t& status);

}  // namespace imm
