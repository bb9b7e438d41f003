// A check of the regression driver that ends the run: the box it shows before
// the RUN ABORTED box, and the run's status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/regression_driver.h"

namespace imm {

inline constexpr std::int64_t kWarningBox = 2;
inline constexpr std::int64_t kErrorBox = 3;

struct RunFailure {
    std::int64_t kind = kWarningBox;
    std::string text;  // empty: the failing routine has shown its own boxes
    std::int64_t status = run_bad_data;
};
using RunCheck = std::optional<RunFailure>;

}  // namespace imm
