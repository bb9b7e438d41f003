// The regression driver as the program runs it for Run and Rerun: one set of
// random generators for the whole program run, and the XY plot of each model
// once it is reported.
#pragma once

#include <cstdint>
#include <string>

#include "engine/regression_driver.h"

namespace imm {

// The options of the program's runs: the XY plot of each reported model, between
// two pauses.
RunOptions program_run_options();

// sorvek_with on the program's generators with the program's options.
void sorvek(std::string& name, std::int64_t& status);

}  // namespace imm
