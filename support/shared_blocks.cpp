#include "support/shared_blocks.h"

namespace imm {

DataBlock a1;
ConstraintCounts a2;
RunCounts a3;
SaturationTable a4;
IoUnits iinout;
Limits limits;
GlobalTypes global_types;

}  // namespace imm
