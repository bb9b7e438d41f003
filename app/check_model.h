// The check before a Run that the data's direction suits the chosen model type:
// rising data (product) for models 1 to 3, falling data (substrate) for 4 to 6.
#pragma once

#include <cstdint>
#include <string>

#include "app/program_state.h"

namespace imm {

inline constexpr std::int64_t kRunGo = 0;
inline constexpr std::int64_t kRunStop = 88;

enum class DataDirection { rising, falling, unknown };

// Reads at most 1000 rows of the data file into arrays of its own and splits them into
// curves as a run does, controls included. Each curve with substrate (a control at
// [So] 0 shows no direction) changes over its time span as the straight line fitted
// to its rows does, whatever their order in the file; the data fall when those
// changes add up to less than zero, so that no single noisy curve decides. Unknown
// when the file cannot be read, has no rows, more than ten curves, only controls, or
// a row that is not three numbers: the driver then reports the file itself.
DataDirection data_direction(const std::string& data_file_name);

// kRunGo, or kRunStop after the wrong-model message and the model-selection window.
std::int64_t check_model(ProgramState& program);

}  // namespace imm
