// The command codes that menu items store for the command loop.
#pragma once

#include <cstdint>

namespace imm::command {

inline constexpr std::int64_t quit = 0;
inline constexpr std::int64_t run = 1;
inline constexpr std::int64_t save = 2;
inline constexpr std::int64_t print = 3;
inline constexpr std::int64_t open = 4;
inline constexpr std::int64_t about = 5;
inline constexpr std::int64_t model_library_text = 6;
inline constexpr std::int64_t clear = 7;
inline constexpr std::int64_t example_file = 8;
inline constexpr std::int64_t mechanism = 9;
inline constexpr std::int64_t xy_plot = 10;
inline constexpr std::int64_t none = 11;
inline constexpr std::int64_t edit_data = 12;
inline constexpr std::int64_t robust_weight_on = 13;
inline constexpr std::int64_t robust_weight_off = 14;
inline constexpr std::int64_t model_selection = 15;
inline constexpr std::int64_t residual_plot = 16;
inline constexpr std::int64_t help = 19;
inline constexpr std::int64_t rate_plot = 20;
inline constexpr std::int64_t rerun = 21;

// Before the first pass of the command loop.
inline constexpr std::int64_t start = -1;

}  // namespace imm::command
