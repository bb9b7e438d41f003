#include "optimise/reflect_parameters.h"

#include <cstdint>

#include "optimise/bound_reflection.h"

namespace imm {

bool reflect_parameters(std::span<double> p, const ParameterBox& box) {
    const auto n = static_cast<std::int64_t>(p.size());
    bool moved = false;
    for (std::int64_t i = (n == 3 ? 2 : 0); i < n; ++i) {
        const double before = p[i];
        abounds(i, p, box.lower, box.upper);
        moved = moved || p[i] != before;
    }
    return moved;
}

}  // namespace imm
