// The box of lower and upper parameter bounds that each stage optimiser
// builds for the current model when it starts.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "support/shared_blocks.h"

namespace imm {

struct ParameterBox {
    std::array<double, kMaxParams> lower{};
    std::array<double, kMaxParams> upper{};
};

// The box of model `model` around the reference vector: Km and Vm in
// [0, factor * P], the background within half the largest observed value,
// the time offset within half the largest time (over rows 0 .. rows-1 of
// `data`; values that are not numbers are passed over). Any other model
// gets +-1e6 for every parameter.
ParameterBox model_parameter_box(std::int64_t model, std::span<const double> reference, double factor,
                                 std::int64_t rows, const DataBlock& data);

}  // namespace imm
