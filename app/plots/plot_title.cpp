#include "app/plots/plot_title.h"

#include "support/strings.h"

namespace imm {

std::string model_plot_title(const std::string& model_title, std::string_view plot_name) {
    constexpr std::size_t kTitleLength = 80;
    std::string title(stripped(model_title));
    title += "\r\n";
    title += plot_name;
    if (title.size() > kTitleLength) {
        title.resize(kTitleLength);
    }
    return title;
}

}  // namespace imm
