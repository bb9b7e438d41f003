#include "app/information_and_plot_commands.h"

#include "app/window/window.h"

namespace imm {

void information_command(std::int64_t) {
    // The dialog texts are added with their commands.
}

void plot_command(ProgramState& program, std::int64_t) {
    startidle(500);
    refreshall();
    if (!results_ready_or_say_so(program)) {
        return;
    }
    // The plot windows are added with their commands.
}

void run_follow_up(std::int64_t) {
    // The Model Library (statuses 4 to 6) and Example Data File (7) dialogs are
    // added with their commands.
}

bool results_ready_or_say_so(const ProgramState& program) {
    if (!program.results_ready) {
        dlgmessage(1, "No results to show - Run a curve-fit first.");
    }
    return program.results_ready;
}

}  // namespace imm
