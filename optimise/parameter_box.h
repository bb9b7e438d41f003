// The box of lower and upper parameter bounds that each stage optimiser
// builds for the current model when it starts.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "support/shared_blocks.h"

namespace imm {

// The bound, either side of zero, of a parameter nothing else limits.
inline constexpr double kWideBound = 1e6;

struct ParameterBox {
    std::array<double, kMaxParams> lower{};
    std::array<double, kMaxParams> upper{};
};

// The range of a background: within half the largest observed value, as long
// as that holds the smallest observed value, which a background lies near
// (the start of a product curve, the end of a substrate curve). When the
// smallest value lies beyond that range, the range reaches half the data's
// spread beyond it. Over rows 0 .. rows-1 of `data`; values that are not
// numbers are passed over.
struct ParameterRange {
    double lower = 0.0;
    double upper = 0.0;
};
ParameterRange background_range(std::int64_t rows, const DataBlock& data);

// The range of a time offset: within half the largest time, over the same rows.
ParameterRange time_offset_range(std::int64_t rows, const DataBlock& data);

// The box of model `model` around the reference vector: Km and Vm in
// [0, factor * P], the background within its range, the time offset within
// half the largest time (over rows 0 .. rows-1 of `data`; values that are not
// numbers are passed over). Any other model gets +-kWideBound for every parameter.
ParameterBox model_parameter_box(std::int64_t model, std::span<const double> reference, double factor,
                                 std::int64_t rows, const DataBlock& data);

}  // namespace imm
