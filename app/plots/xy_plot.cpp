#include "app/plots/xy_plot.h"

#include <algorithm>
#include <array>
#include <limits>
#include <span>

#include "app/plots/axis_scaling.h"
#include "app/plots/plot_display.h"
#include "model/curve_split.h"
#include "support/fortran_format.h"
#include "support/shared_blocks.h"
#include "support/strings.h"
#include "window/plot.h"
#include "window/window.h"

namespace imm {

namespace {

struct Rgb {
    std::int64_t red;
    std::int64_t green;
    std::int64_t blue;
};

constexpr std::array<Rgb, kPlotCurves> kCurveColours = {{
    {0, 0, 255},
    {255, 127, 255},
    {255, 127, 64},
    {0, 255, 255},
    {127, 0, 255},
    {255, 0, 255},
    {127, 64, 255},
    {64, 127, 127},
    {127, 64, 127},
    {127, 127, 127},
}};

// The first ten curves of the global_types.idat rows of a1.
XyCurves collect_curves() {
    std::array<std::int64_t, kMaxCurves> lengths{};
    std::int64_t count = 0;
    ycurves(lengths, count);

    XyCurves curves;
    curves.count = count;
    curves.rows = *std::max_element(lengths.begin(), lengths.end());
    const auto cells = static_cast<std::size_t>(curves.rows * curves.count);
    curves.x1.assign(cells, 0.0);
    curves.y1.assign(cells, 0.0);
    curves.yc1.assign(cells, 0.0);
    std::size_t first = 0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
        const auto length = static_cast<std::size_t>(lengths[k]);
        curves.so[k] = a1.so[first + length - 1];
        curves.points[k] = static_cast<std::int32_t>(length);
        const std::size_t column = k * static_cast<std::size_t>(curves.rows);
        for (std::size_t j = 0; j < length; ++j) {
            curves.x1[column + j] = a1.t[first + j];
            curves.y1[column + j] = a1.yobs[first + j];
            curves.yc1[column + j] = a1.ycalc[first + j];
        }
        first += length;
    }
    return curves;
}

std::span<const double> column(const std::vector<double>& packed, const XyCurves& curves, std::size_t k) {
    return std::span<const double>(packed).subspan(k * static_cast<std::size_t>(curves.rows),
                                                   static_cast<std::size_t>(curves.points[k]));
}

}  // namespace

std::string so_legend(double so) {
    return "[So] =" + std::string(stripped(format_g(static_cast<float>(so), 50, 9)));
}

void xyplot() {
    const std::int64_t rows = std::min(global_types.idat, kMaxRows);
    if (rows < 1) {
        return;
    }
    const XyCurves curves = collect_curves();
    XyTexts texts;
    texts[0] = stripped(global_types.strmdl);
    plot(curves, texts, false);
}

void plot(const XyCurves& curves, XyTexts& texts, bool logarithmic_y) {
    const auto count = static_cast<std::size_t>(std::clamp<std::int64_t>(curves.count, 0, kPlotCurves));
    if (count == 0) {
        return;
    }
    useansitext();
    std::vector<std::vector<double>> times(count);
    std::vector<std::vector<double>> observed(count);
    std::vector<std::vector<double>> calculated(count);
    double t_min = std::numeric_limits<double>::infinity();
    double t_max = -t_min;
    double y_min = t_min;
    double y_max = -t_min;
    for (std::size_t k = 0; k < count; ++k) {
        const auto t = column(curves.x1, curves, k);
        const auto y = column(curves.y1, curves, k);
        const auto yc = column(curves.yc1, curves, k);
        times[k].assign(t.begin(), t.end());
        observed[k].assign(y.begin(), y.end());
        calculated[k].assign(yc.begin(), yc.end());
        for (std::size_t j = 0; j < t.size(); ++j) {
            t_min = std::min(t_min, t[j]);
            t_max = std::max(t_max, t[j]);
            y_min = std::min(y_min, y[j]);
            y_max = std::max(y_max, y[j]);
        }
    }

    plot_t handle = initialize_plot();
    if (logarithmic_y) {
        set_ylogarithmic(handle);
    } else {
        set_ylinear(handle);
    }
    setcolor(0);
    setbkcolor(0xFFFFFF);
    settextstyle(7, 0, 16);
    clearviewport();

    // Single-precision factors 0.9, 1.1, 0.1, 0.5 and 1.2 as the doubles they widen to.
    const double x_low = t_min * 0.8999999761581421;
    const double x_high = t_max * 1.100000023841858;
    // Widened to hold every observed value where those margins would not.
    double y_low = std::min(y_min < 0.0 ? -(y_max * 0.10000000149011612) : y_min * 0.5, y_min);
    double y_high = std::max(y_max * 1.2000000476837158, y_max);
    if (y_high < 1.0 || y_low < 0.0) {
        const AxisScale rounded = scaleaxis1(y_low, y_high, 10);
        y_low = rounded.low;
        y_high = rounded.high;
    } else {
        y_low = 0.0;
    }
    set_yscale(handle, y_low, y_high);
    if (x_high < 1.0 || x_low < 0.0) {
        set_xautoscale(handle);
    } else {
        set_xscale(handle, 0.0, x_high);
    }

    for (std::size_t k = 0; k < count; ++k) {
        texts[k + 1] = so_legend(curves.so[k]);
    }
    setmatchthemetextstyle();
    refreshall();
    setrefreshing(true);
    set_title(handle, texts[0]);

    for (std::size_t k = 0; k < count; ++k) {
        const Rgb colour = kCurveColours[k];
        const auto dots = static_cast<std::int64_t>(2 * k);
        add_dataset(handle, times[k], observed[k]);
        set_seriescolor(handle, dots, colour.red, colour.green, colour.blue);
        set_seriestype(handle, dots, kSeriesLargeDots);
        set_serieslabel(handle, dots, texts[k + 1]);
        add_dataset(handle, times[k], calculated[k]);
        set_seriescolor(handle, dots + 1, colour.red, colour.green, colour.blue);
        set_seriestype(handle, dots + 1, kSeriesLine);
        set_serieslabel(handle, dots + 1, "");
    }
    set_ylabel(handle, a1.nmdl <= 3 ? "PRODUCT " : "SUBSTRATE ");
    set_xlabel(handle, "TIME ");

    show_and_close(handle);
}

}  // namespace imm
