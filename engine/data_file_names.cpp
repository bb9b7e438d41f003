#include "engine/data_file_names.h"

#include "support/strings.h"

namespace imm {

namespace {

// Start of the last path component.
std::size_t last_component_start(std::string_view name) {
    const auto slash = name.find_last_of('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

}  // namespace

std::string completed_data_name(std::string_view name) {
    std::string completed(name);
    s_adjustl(completed);
    completed.resize(static_cast<std::size_t>(s_len_trim(completed)));
    if (completed.find('.', last_component_start(completed)) == std::string::npos) completed += ".in";
    return completed;
}

std::string report_name(std::string_view data_name) {
    const auto dot = data_name.find_last_of('.');
    if (dot == std::string_view::npos || dot < last_component_start(data_name)) {
        return std::string(data_name) + ".out";
    }
    return std::string(data_name.substr(0, dot + 1)) + "out";
}

}  // namespace imm
