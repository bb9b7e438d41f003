// The registry of child windows in global_types.child_windows.
#pragma once

namespace imm {

// Closes every window registered in the child slots, frees the slots and makes
// the main window (the last slot) current.
void closeallchilds();

}  // namespace imm
