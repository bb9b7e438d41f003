#include "app/plots/plot_title.h"

namespace imm {

std::string model_plot_title(const std::string& model_title, std::string_view plot_name) {
    constexpr std::size_t kTitleLength = 80;
    const auto first = model_title.find_first_not_of(' ');
    std::string title;
    if (first != std::string::npos) {
        title = model_title.substr(first, model_title.find_last_not_of(' ') - first + 1);
    }
    title += "\r\n";
    title += plot_name;
    if (title.size() > kTitleLength) {
        title.resize(kTitleLength);
    }
    return title;
}

}  // namespace imm
