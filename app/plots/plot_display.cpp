#include "app/plots/plot_display.h"

#include "app/plots/child_windows.h"
#include "support/shared_blocks.h"
#include "window/window.h"

namespace imm {

void add_dots_and_line(const plot_t& plot, std::span<const double> dot_x, std::span<const double> dot_y,
                       std::span<const double> line_x, std::span<const double> line_y) {
    add_dataset(plot, dot_x, dot_y);
    set_seriescolor(plot, 0, 0, 0, 255);
    set_seriestype(plot, 0, kSeriesLargeDots);
    set_serieslabel(plot, 0, "");
    add_dataset(plot, line_x, line_y);
    set_seriescolor(plot, 1, 0, 0, 255);
    set_seriestype(plot, 1, kSeriesLine);
    set_serieslabel(plot, 1, "");
}

void show_and_close(plot_t& plot) {
    display_plot(plot);
    setcurrentwindow(global_types.idactivewin);
    destroy_plot(plot);
    closeallchilds();
    refreshall();
}

}  // namespace imm
