// The commands that show an information dialog or a plot, and the dialog that
// follows a run that stopped on the model or the data.
#pragma once

#include <cstdint>

#include "app/program_state.h"

namespace imm {

// About (5), Model Library (6), Example Data File (8), Enzymatic Mechanism (9), Help (19).
void information_command(std::int64_t code);

// XY plot (10), residual plot (16), rate plot (20): drawn from what the last
// successful run left in the shared blocks.
void plot_command(ProgramState& program, std::int64_t code);

// After a Run or Rerun that ended with the given status.
void run_follow_up(std::int64_t status);

// Save, Print and the plots before any run has succeeded.
bool results_ready_or_say_so(const ProgramState& program);

}  // namespace imm
