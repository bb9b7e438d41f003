#include "window/plot.h"

#include <algorithm>

#include "window/window.h"
#include "window/window_backend.h"

namespace imm {

namespace {

std::string without_trailing_blanks(const std::string& text) {
    const auto end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

PlotSeries* series_of(const plot_t& plot, std::int64_t series) {
    if (!plot || series < 0 || series >= static_cast<std::int64_t>(plot->series.size())) {
        return nullptr;
    }
    return &plot->series[static_cast<std::size_t>(series)];
}

}  // namespace

plot_t initialize_plot() {
    return std::make_unique<PlotData>();
}

void set_title(const plot_t& plot, const std::string& text) {
    if (plot) {
        plot->title = without_trailing_blanks(text);
    }
}

void set_xlabel(const plot_t& plot, const std::string& text) {
    if (plot) {
        plot->xlabel = without_trailing_blanks(text);
    }
}

void set_ylabel(const plot_t& plot, const std::string& text) {
    if (plot) {
        plot->ylabel = without_trailing_blanks(text);
    }
}

void set_xlinear(const plot_t&) {}

void set_ylinear(const plot_t& plot) {
    if (plot) {
        plot->y_logarithmic = false;
    }
}

void set_ylogarithmic(const plot_t& plot, double base) {
    if (plot) {
        plot->y_logarithmic = true;
        plot->y_log_base = base;
    }
}

void set_xscale(const plot_t& plot, double low, double high) {
    if (plot) {
        plot->x = AxisRange{false, low, high};
    }
}

void set_yscale(const plot_t& plot, double low, double high) {
    if (plot) {
        plot->y = AxisRange{false, low, high};
    }
}

void set_xautoscale(const plot_t& plot) {
    if (plot) {
        plot->x = AxisRange{};
    }
}

void add_dataset(const plot_t& plot, std::span<const double> x, std::span<const double> y) {
    if (!plot) {
        return;
    }
    const std::size_t count = std::min(x.size(), y.size());
    PlotSeries series;
    series.x.reserve(count);
    series.y.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        series.x.push_back(static_cast<float>(x[i]));
        series.y.push_back(static_cast<float>(y[i]));
    }
    plot->series.push_back(std::move(series));
}

void set_seriestype(const plot_t& plot, std::int64_t series, std::int64_t type) {
    if (PlotSeries* s = series_of(plot, series); s && type >= kSeriesLine && type <= kSeriesSmallDots) {
        s->type = type;
    }
}

void set_seriescolor(const plot_t& plot, std::int64_t series, std::int64_t red, std::int64_t green,
                     std::int64_t blue) {
    if (PlotSeries* s = series_of(plot, series)) {
        s->red = std::clamp<std::int64_t>(red, 0, 255);
        s->green = std::clamp<std::int64_t>(green, 0, 255);
        s->blue = std::clamp<std::int64_t>(blue, 0, 255);
    }
}

void set_serieslabel(const plot_t& plot, std::int64_t series, const std::string& text) {
    if (PlotSeries* s = series_of(plot, series)) {
        s->label = without_trailing_blanks(text);
    }
}

void display_plot(const plot_t& plot) {
    if (plot) {
        installed_window_backend()->display_plot(*plot, getcurrentwindow());
    }
}

void destroy_plot(plot_t& plot) {
    plot.reset();
}

}  // namespace imm
