#include "engine/run_workspace.h"

#include <cmath>

namespace imm {

double stage3_tolerance_for(double machine_eps) {
    const double root = std::sqrt(machine_eps);
    return 2.0 * root * (root + 1.0);
}

}  // namespace imm
