#include "optimise/sqp_state.h"

namespace imm {

void resetw(VmconState& state) { state = VmconState{}; }

}  // namespace imm
