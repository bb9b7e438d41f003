// The model-name records of a report section: the model's title and its equation in
// the model's own symbols and in the generic symbols X1, X2, P1..P3.
#pragma once

#include <cstdint>

#include "engine/report_writer.h"

namespace imm {

// Writes the five model-name records of models 1 to 6, or one empty record for any other
// number.
void model_names(ReportWriter& out, std::int64_t model);

}  // namespace imm
