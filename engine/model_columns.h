// The check of a file's column count against the chosen model.
#pragma once

#include <cstdint>

namespace imm {

// result 0 when the column count suits the model. For a model number above 6 with
// 3 or 2 columns, it writes the list of models to the console, waits for a line
// from the console and sets result to 99.
void ncolmdl(std::int64_t ncols, std::int64_t model, std::int64_t& result);

}  // namespace imm
