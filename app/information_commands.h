// The information and plot commands of the command loop, and the dialog that
// follows a Run or Rerun that stopped on the data or the model.
#pragma once

#include <cstdint>

namespace imm {

// Shown instead of a plot when no run has produced fitted data.
inline constexpr const char* kNoResultsToPlot = "No results to plot - Warning!\r\nRun a curve-fit first. ";
// Shown instead of the rate plot for fewer than 3 curves.
inline constexpr const char* kTooFewCurves = "Atleast 3 data curves required";

// Carries out an information command (5 About, 6 Model Library, 8 Example Data
// File, 9 Enzymatic Mechanism, 19 Help) or a plot command (10 XY plot, 16
// residual plot, 20 rate plot) and returns true; returns false for any other code.
// fitted_data: the last Run or Rerun ended with fitted data in a1 and a4.
bool information_or_plot_command(std::int64_t code, bool fitted_data);

// After a Run or Rerun: the Model Library for statuses 4, 5 and 6, the Example
// Data File for status 7, nothing for another status.
void run_status_followup(std::int64_t status);

}  // namespace imm
