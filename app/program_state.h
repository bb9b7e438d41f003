// What the main program keeps for its whole life, shared by its commands. Menu
// procedures run on other threads and touch only the command code (and the
// weighting flag of the shared module); the openers' watchers only the posted
// messages.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "app/command_codes.h"
#include "app/main_menu.h"
#include "app/main_program.h"
#include "app/posted_messages.h"

namespace imm {

struct ProgramState {
    ProgramOptions options;
    std::atomic<std::int64_t> command_code{command::start};
    std::int64_t main_window = -1;
    std::int64_t text_area = -1;
    MainMenu menu;
    std::string data_file_name = "data.in";
    bool file_open = false;
    std::int64_t run_status = 0;
    std::int64_t results_unit = 100;
    std::int64_t last_unit = 100;
    std::string report_name;
    // Boxes of openers that failed after their command, shown between commands.
    std::shared_ptr<PostedMessages> posted_messages;
    // The shared blocks hold what a successful run produced: the last run ended
    // with status 0. Plots, Save and Print need it.
    bool results_ready = false;
};

}  // namespace imm
