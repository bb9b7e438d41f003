// Where a plot window opens: beside the main window on the main window's screen,
// never over its menu bar.
#pragma once

#include <QRect>

namespace imm {

// The frame of a plot window of the wanted frame size (cut to the screen's size):
// right of the main window's frame when it fits on the screen, else left of it;
// else below the main window's menu bar, whose lowest line is menu_bottom, or
// above the main window, as far right as the screen allows; when none of these
// fits, below the menu bar and only as high as the screen leaves room for.
QRect plot_placement(const QRect& main_frame, int menu_bottom, const QSize& wanted, const QRect& screen);

}  // namespace imm
