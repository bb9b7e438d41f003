// The system's reason for a failed file operation, as messages show it.
#pragma once

#include <cerrno>
#include <string>

namespace imm {

// The text of an errno value ("Permission denied", "No space left on device");
// 0, which names no reason, reads as an input/output error.
std::string system_reason(int error_number);

// True for the errno values of an operation refused for want of permission.
inline bool permission_refused(int error_number) { return error_number == EACCES || error_number == EPERM; }

}  // namespace imm
