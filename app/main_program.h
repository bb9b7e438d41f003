// The desktop program's main routine: it opens the main window with its menu bar
// and report text area, shows the splash, and carries out one menu command at a
// time until Quit. It runs on the program's own thread; the window layer shows
// its windows through whichever back end is installed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/outside_editor.h"
#include "app/program_fit.h"

namespace imm {

inline constexpr const char* kProgramTitle = "Sorvek-IMM: Enzyme Progress of Reaction Modeling Software";

struct ProgramOptions {
    // The regression driver: fits the chosen models to the named data file,
    // completing the name in place, and sets the run status.
    std::function<void(std::string& name, std::int64_t& status)> fit = sorvek;
    // Starts the desktop's text editor on a file without waiting for it; ""
    // when started, otherwise why not. A started one reports its end later.
    std::function<std::string(const std::string& file, OpenerEnded ended)> start_editor = start_text_editor;
    // Called on the program's thread after each pass of the command loop with the
    // code it carried out (tests wait on it).
    std::function<void(std::int64_t code)> command_done;
};

void main_program(const ProgramOptions& options);

}  // namespace imm
