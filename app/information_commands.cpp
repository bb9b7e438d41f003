#include "app/information_commands.h"

#include "app/information_dialogs.h"
#include "app/plots/rate_plot.h"
#include "app/plots/residual_plot.h"
#include "app/plots/xy_plot.h"
#include "app/window/window.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

// The rate plot needs a point for each of at least this many curves.
constexpr std::int64_t kRatePlotCurves = 3;

// Waits briefly so that the menu has closed before the plot window opens; false
// (after telling the user) when there is nothing to plot.
bool ready_to_plot(bool fitted_data) {
    startidle(500);
    refreshall();
    if (!fitted_data) {
        dlgmessage(1, kNoResultsToPlot);
    }
    return fitted_data;
}

}  // namespace

bool information_or_plot_command(std::int64_t code, bool fitted_data) {
    switch (code) {
        case 5:
            about();
            return true;
        case 6:
            models();
            return true;
        case 8:
            examplefile();
            return true;
        case 9:
            mechanism();
            return true;
        case 19:
            help();
            return true;
        case 10:
            if (ready_to_plot(fitted_data)) {
                xyplot();
            }
            return true;
        case 16:
            if (ready_to_plot(fitted_data)) {
                resplot();
            }
            return true;
        case 20:
            if (ready_to_plot(fitted_data)) {
                if (global_types.idatasets < kRatePlotCurves) {
                    dlgmessage(1, kTooFewCurves);
                } else {
                    satplot();
                }
            }
            return true;
        default:
            return false;
    }
}

void run_status_followup(std::int64_t status) {
    if (status >= 4 && status <= 6) {
        models();
    } else if (status == 7) {
        examplefile();
    }
}

}  // namespace imm
