#include <QMenuBar>
#include <QScreen>

#include "app/qt/plot_placement.h"
#include "app/qt/plot_window.h"
#include "tests/app/qt/qt_test_support.h"
#include "window/plot.h"
#include "window/window.h"

namespace imm {
namespace {

const QRect kScreen(0, 0, 1920, 1040);
const QSize kPlot(800, 600);

TEST(PlotPlacement, BesideTheMainWindowWhereTheScreenHasRoom) {
    // Room on the right.
    EXPECT_EQ(plot_placement(QRect(0, 0, 400, 300), 49, kPlot, kScreen), QRect(400, 0, 800, 600));
    // Room on the left only; the top as the main window's.
    EXPECT_EQ(plot_placement(QRect(1200, 100, 700, 500), 149, kPlot, kScreen), QRect(400, 100, 800, 600));
    // Near the bottom: the plot's top rises to keep it on the screen.
    EXPECT_EQ(plot_placement(QRect(0, 900, 400, 140), 949, kPlot, kScreen), QRect(400, 440, 800, 600));
}

TEST(PlotPlacement, BelowTheMenuBarOrAboveTheMainWindowWithoutRoomBeside) {
    // The program's main window: half the screen, centred. As far right as the
    // screen allows, below the menu bar.
    EXPECT_EQ(plot_placement(QRect(480, 260, 960, 520), 314, kPlot, kScreen), QRect(1120, 315, 800, 600));
    // No room below the menu bar: above the main window.
    EXPECT_EQ(plot_placement(QRect(480, 700, 960, 340), 759, kPlot, kScreen), QRect(1120, 100, 800, 600));
}

TEST(PlotPlacement, OnASmallScreenBelowTheMenuBarAndNoHigherThanTheScreen) {
    const QRect screen(0, 0, 800, 600);
    EXPECT_EQ(plot_placement(QRect(200, 150, 400, 325), 174, kPlot, screen), QRect(0, 175, 800, 425));
    // Cut to the screen's size first.
    EXPECT_EQ(plot_placement(QRect(0, 0, 300, 200), 24, QSize(1000, 700), QRect(0, 0, 640, 480)),
              QRect(0, 25, 640, 455));
}

using QtPlotPlacement = QtLayerTest;

// A plot shown from the program opens on the main window's screen and leaves its menu bar free.
TEST_F(QtPlotPlacement, PlotWindowOpensBesideTheCurrentWindow) {
    std::int64_t main_id = -1;
    ProgramThread build([&] {
        main_id = initwindow(200, 150, "Main", 30, 20, false);
        const std::int64_t menu = addmenu("", -1);
        addmenuitem("Quit", menu, [] {});
    });
    ASSERT_TRUE(build.finish());
    LayerWindow* main = window_titled("Main");
    ASSERT_NE(main, nullptr);
    const QRect menu_bar(main->menuBar()->mapToGlobal(QPoint(0, 0)), main->menuBar()->size());
    ASSERT_FALSE(menu_bar.isEmpty());

    plot_t plot = initialize_plot();
    set_title(plot, "Placed");
    ProgramThread program([&] { display_plot(plot); });
    PlotWindow* shown = nullptr;
    ASSERT_TRUE(pump_until([&] { return (shown = find_window<PlotWindow>()) != nullptr; }));
    const QRect screen = main->screen()->availableGeometry();
    const QRect placed = shown->frameGeometry();
    EXPECT_EQ(placed, plot_placement(main->frameGeometry(), menu_bar.bottom(),
                                     QSize(800, 600) + (main->frameGeometry().size() - main->geometry().size()),
                                     screen));
    EXPECT_TRUE(screen.contains(placed));
    EXPECT_FALSE(placed.intersects(menu_bar));
    EXPECT_NE(placed.topLeft(), screen.topLeft());
    shown->close();
    ASSERT_TRUE(program.finish());
}

}  // namespace
}  // namespace imm
