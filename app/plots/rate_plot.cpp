#include "app/plots/rate_plot.h"

#include <algorithm>
#include <vector>

#include "app/plots/plot_display.h"
#include "app/plots/msort.h"
#include "app/plots/plot_title.h"
#include "app/window/plot.h"
#include "app/window/window.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

// The single-precision 1.1, widened.
constexpr double kMargin = 1.100000023841858;

double largest(std::span<const double> values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

}  // namespace

void satplot() {
    const auto curves = static_cast<std::size_t>(
        std::clamp<std::int64_t>(global_types.idatasets, 0, kSaturationPoints));
    std::vector<double> x(curves);
    std::vector<double> y(curves);
    for (std::size_t i = 0; i < curves; ++i) {
        const double so = a4.sat_so[i];
        x[i] = so;
        y[i] = a4.sat_vmax * so / (so + a4.sat_km);
    }
    const std::vector<double> point_x = msort(x, 0);
    const std::vector<double> point_y = msort(y, 0);
    plot_rate_s(a4.sat_curve_x, a4.sat_curve_y, point_x, point_y);
}

void plot_rate_s(std::span<const double> curve_x, std::span<const double> curve_y,
                 std::span<const double> point_x, std::span<const double> point_y) {
    useansitext();
    plot_t handle = initialize_plot();
    set_xlinear(handle);
    set_ylinear(handle);
    setcolor(0);
    setbkcolor(0xFFFFFF);
    clearviewport();

    set_xscale(handle, 0.0, largest(curve_x) * kMargin);
    set_yscale(handle, 0.0, largest(curve_y) * kMargin);
    setmatchthemetextstyle();
    refreshall();
    setrefreshing(true);

    set_title(handle, model_plot_title(global_types.strmdl, "Saturation Plot"));
    set_ylabel(handle, "RATE ");
    set_xlabel(handle, "[ S ] / Km ");
    add_dots_and_line(handle, point_x, point_y, curve_x, curve_y);

    show_and_close(handle);
}

}  // namespace imm
