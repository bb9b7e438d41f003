// Plots: a handle with titles, axis kinds and ranges and numbered series, shown
// in a window of its own by display_plot, which returns when that window has
// closed. Texts lose their trailing blanks; values are kept in single precision.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace imm {

// Series types.
inline constexpr std::int64_t kSeriesLine = 0;
inline constexpr std::int64_t kSeriesLargeDots = 1;  // 5 pixels
inline constexpr std::int64_t kSeriesBars = 2;
inline constexpr std::int64_t kSeriesSmallDots = 3;

struct PlotSeries {
    std::vector<float> x;
    std::vector<float> y;
    std::int64_t type = kSeriesLine;
    std::int64_t red = 0;
    std::int64_t green = 0;
    std::int64_t blue = 0;
    std::string label;
};

struct AxisRange {
    bool automatic = true;  // taken from the data
    double low = 0.0;
    double high = 0.0;
};

struct PlotData {
    std::string title;
    std::string xlabel;
    std::string ylabel;
    bool y_logarithmic = false;
    double y_log_base = 10.0;
    AxisRange x;
    AxisRange y;
    std::vector<PlotSeries> series;
};

// An empty handle is one that was never made or has been destroyed; the setting
// operations do nothing on it.
using plot_t = std::unique_ptr<PlotData>;

plot_t initialize_plot();
void set_title(const plot_t& plot, const std::string& text);
void set_xlabel(const plot_t& plot, const std::string& text);
void set_ylabel(const plot_t& plot, const std::string& text);
void set_xlinear(const plot_t& plot);  // the x axis is always linear
void set_ylinear(const plot_t& plot);
void set_ylogarithmic(const plot_t& plot, double base = 10.0);
void set_xscale(const plot_t& plot, double low, double high);
void set_yscale(const plot_t& plot, double low, double high);
void set_xautoscale(const plot_t& plot);
// Appends a series of as many points as the shorter array holds.
void add_dataset(const plot_t& plot, std::span<const double> x, std::span<const double> y);
// 0 line, 1 large dots, 2 bars, 3 small dots; another type changes nothing.
void set_seriestype(const plot_t& plot, std::int64_t series, std::int64_t type);
void set_seriescolor(const plot_t& plot, std::int64_t series, std::int64_t red, std::int64_t green,
                     std::int64_t blue);
void set_serieslabel(const plot_t& plot, std::int64_t series, const std::string& text);
// The plot's window opens beside the current window.
void display_plot(const plot_t& plot);
void destroy_plot(plot_t& plot);

}  // namespace imm
