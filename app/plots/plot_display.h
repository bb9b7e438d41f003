// Steps the program's plots share: a series of dots with a line over it, and
// showing a finished plot until its window closes.
#pragma once

#include <span>

#include "window/plot.h"

namespace imm {

// Series 0: the points (dot_x, dot_y) as large dots; series 1: the line through
// (line_x, line_y). Both blue and unlabelled.
void add_dots_and_line(const plot_t& plot, std::span<const double> dot_x, std::span<const double> dot_y,
                       std::span<const double> line_x, std::span<const double> line_y);

// Shows the plot until its window closes, makes the active window current again,
// destroys the plot and closes every child window.
void show_and_close(plot_t& plot);

}  // namespace imm
