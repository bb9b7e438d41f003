#include "app/program_fit.h"

#include "app/plots/xy_plot.h"
#include "optimise/random_context.h"
#include "window/window.h"

namespace imm {

namespace {

constexpr std::int64_t kPlotPause = 500;

void show_xy_plot() {
    startidle(kPlotPause);
    xyplot();
    refreshall();
    startidle(kPlotPause);
}

}  // namespace

RunOptions program_run_options() {
    RunOptions options;
    options.on_model_reported = show_xy_plot;
    return options;
}

void sorvek(std::string& name, std::int64_t& status) {
    // One set of generators for the whole program run.
    static RandomContext program_random;
    sorvek_with(name, status, program_random, program_run_options());
}

}  // namespace imm
