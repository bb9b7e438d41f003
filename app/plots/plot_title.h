// The title of the rate and residual plots.
#pragma once

#include <string>
#include <string_view>

namespace imm {

// The model title without leading and trailing blanks, a line break and the
// plot's name, cut to 80 characters.
std::string model_plot_title(const std::string& model_title, std::string_view plot_name);

}  // namespace imm
