// The system's reason for a failed file operation, as messages show it.
#pragma once

#include <string>

namespace imm {

// The text of an errno value ("Permission denied", "No space left on device");
// 0, which names no reason, reads as an input/output error.
std::string system_reason(int error_number);

}  // namespace imm
