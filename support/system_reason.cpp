#include "support/system_reason.h"

#include <cerrno>
#include <system_error>

namespace imm {

std::string system_reason(int error_number) {
    return std::generic_category().message(error_number != 0 ? error_number : EIO);
}

}  // namespace imm
