#include "app/plots/residual_plot.h"

#include <algorithm>
#include <vector>

#include "app/plots/axis_scaling.h"
#include "app/plots/plot_display.h"
#include "app/plots/plot_title.h"
#include "app/window/plot.h"
#include "app/window/window.h"
#include "support/shared_blocks.h"

namespace imm {

void resplot() {
    const std::int64_t rows = std::min(global_types.idat, kMaxRows);
    if (rows < 1) {
        return;
    }
    std::vector<double> abscissae(static_cast<std::size_t>(rows));
    std::vector<double> residuals(static_cast<std::size_t>(rows));
    for (std::size_t i = 0; i < abscissae.size(); ++i) {
        abscissae[i] = static_cast<double>(i + 1);
        residuals[i] = a1.ycalc[i] - a1.yobs[i];
    }
    startidle(500);
    plot_residuals(abscissae, residuals);
}

void plot_residuals(std::span<const double> abscissae, std::span<const double> residuals) {
    useansitext();
    const std::vector<double> zeros(residuals.size(), 0.0);
    plot_t handle = initialize_plot();
    set_xlinear(handle);
    set_ylinear(handle);
    setcolor(0);
    setbkcolor(0xFFFFFF);
    settextstyle(7, 0, 16);
    clearviewport();

    // Single-precision 1.1 and 1.05, widened.
    const double largest_abscissa =
        abscissae.empty() ? 0.0 : *std::max_element(abscissae.begin(), abscissae.end());
    set_xscale(handle, 0.0, largest_abscissa * 1.100000023841858);
    const double top = scale_axis(residuals).high;
    set_yscale(handle, -(top * 1.0499999523162842), top);
    setmatchthemetextstyle();
    refreshall();
    setrefreshing(true);

    set_title(handle, model_plot_title(global_types.strmdl, "Residuals Plot"));
    add_dots_and_line(handle, abscissae, residuals, abscissae, zeros);
    set_ylabel(handle, "RESIDUAL ");
    set_xlabel(handle, "NUMBER");

    show_and_close(handle);
}

}  // namespace imm
