#include "app/plots/rate_plot.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/plots/msort.h"
#include "app/plots/plot_display.h"
#include "app/plots/plot_title.h"
#include "support/shared_blocks.h"
#include "window/plot.h"
#include "window/window.h"

namespace imm {

namespace {

// The single-precision 1.1, widened.
constexpr double kMargin = 1.100000023841858;

// Points of the curve drawn on from the table's end to the largest [So].
constexpr std::size_t kCurveExtension = 100;

double rate_of(double so) {
    return a4.sat_vmax * so / (so + a4.sat_km);
}

struct AxisEnds {
    double low = 0.0;
    double high = 0.0;
};

// 0, or 1.1 times the smallest finite value when that is below 0, to 1.1 times
// the largest finite value.
AxisEnds axis_ends(std::span<const double> first, std::span<const double> second) {
    double smallest = 0.0;
    double largest = 0.0;
    for (const auto values : {first, second}) {
        for (const double v : values) {
            if (std::isfinite(v)) {
                smallest = std::min(smallest, v);
                largest = std::max(largest, v);
            }
        }
    }
    return AxisEnds{smallest * kMargin, largest * kMargin};
}

}  // namespace

void satplot() {
    const auto curves = static_cast<std::size_t>(
        std::clamp<std::int64_t>(global_types.idatasets, 0, kSaturationPoints));
    std::vector<double> x(curves);
    std::vector<double> y(curves);
    for (std::size_t i = 0; i < curves; ++i) {
        x[i] = a4.sat_so[i];
        y[i] = rate_of(x[i]);
    }
    const std::vector<double> point_x = msort(x, 0);
    const std::vector<double> point_y = msort(y, 0);

    std::vector<double> curve_x(a4.sat_curve_x.begin(), a4.sat_curve_x.end());
    std::vector<double> curve_y(a4.sat_curve_y.begin(), a4.sat_curve_y.end());
    const double table_end = curve_x.back();
    const double largest_so = point_x.empty() ? table_end : point_x.front();
    if (largest_so > table_end) {
        const double step = (largest_so - table_end) / static_cast<double>(kCurveExtension);
        for (std::size_t j = 1; j <= kCurveExtension; ++j) {
            const double s = j == kCurveExtension ? largest_so : table_end + step * static_cast<double>(j);
            curve_x.push_back(s);
            curve_y.push_back(rate_of(s));
        }
    }
    plot_rate_s(curve_x, curve_y, point_x, point_y);
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

    const AxisEnds x_ends = axis_ends(curve_x, point_x);
    const AxisEnds y_ends = axis_ends(curve_y, point_y);
    set_xscale(handle, x_ends.low, x_ends.high);
    set_yscale(handle, y_ends.low, y_ends.high);
    setmatchthemetextstyle();
    refreshall();
    setrefreshing(true);

    set_title(handle, model_plot_title(global_types.strmdl, "Saturation Plot"));
    set_ylabel(handle, "RATE ");
    set_xlabel(handle, "[ S ] ");
    add_dots_and_line(handle, point_x, point_y, curve_x, curve_y);

    show_and_close(handle);
}

}  // namespace imm
