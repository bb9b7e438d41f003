// The data set the benchmarks share: 1000 rows of model 2 on ten curves, with a
// little deterministic noise.
#pragma once

#include "support/shared_blocks.h"

#include <cmath>
#include <cstdint>

namespace imm::bench {

inline void load_full_size_rows(std::int64_t weight_mode = 0)
{
    a1.nmdl = 2;
    global_types.imdlno = 2;
    a2.model_limit = 6;
    a3.ndata = kMaxRows;
    global_types.idat = kMaxRows;
    a3.nparam = 3;
    a3.weight_mode = weight_mode;
    for (std::int64_t k = 0; k < kMaxRows; ++k) {
        a1.t[k] = 0.1 * static_cast<double>(k % 100 + 1);
        a1.so[k] = 0.5 * static_cast<double>(k / 100 + 1);
        a1.yobs[k] = a1.so[k] * (1.0 - std::exp(-0.2 * a1.t[k])) + 0.01 * std::sin(1.3 * k);
    }
}

}  // namespace imm::bench
