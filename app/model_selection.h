// The "Select Models" window: six radio buttons for the six models and the push
// buttons "Product", "Substrate", "Clear" and "Close". The main window takes no
// input while it is open.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace imm {

inline constexpr std::array<std::string_view, 6> kModelButtonTexts = {
    "1- Product vs time Integrated Michaelis-Menten",
    "2- Product vs time Integrated Michaelis-Menten - baseline",
    "3- Product vs (time + offset) Integrated Michaelis-Menten",
    "4- Substrate vs time Integrated Michaelis-Menten",
    "5- Substrate vs time Integrated Michaelis-Menten - baseline",
    "6- Substrate vs (time + offset) Integrated Michaelis-Menten",
};

// Opens the window and waits until it is closed (by "Close" or by its frame);
// then the model flags imdl hold the set buttons and imdlno the first chosen
// model (unchanged when none is).
void model_lib();

}  // namespace imm
