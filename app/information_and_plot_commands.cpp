#include "app/information_and_plot_commands.h"

#include "app/information_dialogs.h"
#include "app/plots/rate_plot.h"
#include "app/plots/residual_plot.h"
#include "app/plots/xy_plot.h"
#include "support/shared_blocks.h"
#include "window/window.h"

namespace imm {

namespace {

// The rate plot needs a point for each of at least this many curves.
constexpr std::int64_t kRatePlotCurves = 3;

}  // namespace

void information_command(std::int64_t code) {
    switch (code) {
        case command::about: about(); break;
        case command::model_library_text: models(); break;
        case command::example_file: examplefile(); break;
        case command::mechanism: mechanism(); break;
        case command::help: help(); break;
        default: break;
    }
}

void plot_command(ProgramState& program, std::int64_t code) {
    startidle(500);
    refreshall();
    if (!results_ready_or_say_so(program)) {
        return;
    }
    switch (code) {
        case command::xy_plot: xyplot(); break;
        case command::residual_plot: resplot(); break;
        case command::rate_plot:
            if (global_types.idatasets < kRatePlotCurves) {
                dlgmessage(1, "Atleast 3 data curves required");
            } else {
                satplot();
            }
            break;
        default: break;
    }
}

void run_follow_up(std::int64_t status) {
    if (status >= 4 && status <= 6) {
        models();
    } else if (status == 7) {
        examplefile();
    }
}

bool results_ready_or_say_so(const ProgramState& program) {
    if (!program.results_ready) {
        dlgmessage(1, "No results to show - Run a curve-fit first.");
    }
    return program.results_ready;
}

}  // namespace imm
