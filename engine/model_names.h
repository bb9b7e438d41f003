// The model-name records of a report section: the model's title and its equation in
// the model's own symbols and in the generic symbols X1, X2, P1..P3.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/report_writer.h"

namespace imm {

struct ModelEquations {
    std::string_view title;
    std::string_view equation;
    std::string_view generic_equation;
};

// The texts of models 1 to 6; empty texts for any other number.
ModelEquations model_equations(std::int64_t model);

// Writes the five model-name records of models 1 to 6, or one empty record for any other
// number.
void model_names(ReportWriter& out, std::int64_t model);

}  // namespace imm
