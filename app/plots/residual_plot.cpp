#include "app/plots/residual_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "app/plots/axis_scaling.h"
#include "app/plots/plot_display.h"
#include "app/plots/plot_title.h"
#include "support/shared_blocks.h"
#include "window/plot.h"
#include "window/window.h"

namespace imm {

namespace {

// The single-precision 1.05, widened.
constexpr double kBelowZero = 1.0499999523162842;

// How far the y axis reaches below zero, before the 1.05 margin: the rounded top,
// or the smallest residual's magnitude rounded up to a whole step when the
// axis would leave that residual out.
double depth_below_zero(std::span<const double> residuals, const AxisScale& scale) {
    double smallest = std::numeric_limits<double>::infinity();
    for (const double r : residuals) {
        if (std::isfinite(r)) {
            smallest = std::min(smallest, r);
        }
    }
    if (smallest >= -(scale.high * kBelowZero)) {
        return scale.high;
    }
    return std::ceil(-smallest / scale.step) * scale.step;
}

}  // namespace

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

    // Single-precision 1.1, widened.
    const double largest_abscissa =
        abscissae.empty() ? 0.0 : *std::max_element(abscissae.begin(), abscissae.end());
    set_xscale(handle, 0.0, largest_abscissa * 1.100000023841858);
    const AxisScale scale = scale_axis(residuals);
    set_yscale(handle, -(depth_below_zero(residuals, scale) * kBelowZero), scale.high);
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
