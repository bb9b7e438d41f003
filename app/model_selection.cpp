#include "app/model_selection.h"

#include <algorithm>
#include <string>

#include "support/shared_blocks.h"
#include "window/window.h"

namespace imm {

namespace {

constexpr std::size_t kMainWindowSlot = 255;
constexpr std::int64_t kFreeSlot = -1;

// Radio buttons are 700 wide from x = 60 and the push buttons reach 240 right of
// the centre: the window never gets narrower than that, nor lower than the buttons.
constexpr std::int64_t kMinimumWidth = 780;
constexpr std::int64_t kRadioX = 60;
constexpr std::int64_t kRadioWidth = 700;
constexpr std::int64_t kRadioHeight = 25;
constexpr std::int64_t kButtonWidth = 100;
constexpr std::int64_t kButtonHeight = 45;
constexpr std::int64_t kMinimumRowStep = 40;
constexpr std::int64_t kBottomMargin = 15;

std::int64_t main_window() {
    return global_types.child_windows[kMainWindowSlot];
}

void closeallchilds() {
    for (std::size_t slot = 0; slot < kMainWindowSlot; ++slot) {
        if (global_types.child_windows[slot] != kFreeSlot) {
            closewindow(global_types.child_windows[slot]);
            global_types.child_windows[slot] = kFreeSlot;
        }
    }
}

void register_child(std::int64_t window) {
    const auto free = std::find(global_types.child_windows.begin(),
                                global_types.child_windows.begin() + kMainWindowSlot, kFreeSlot);
    if (free != global_types.child_windows.begin() + kMainWindowSlot) {
        *free = window;
    }
}

// Closes the first listed child window and makes the main window current.
void openparentwindow() {
    const auto first = std::find_if(global_types.child_windows.begin(),
                                    global_types.child_windows.begin() + kMainWindowSlot,
                                    [](std::int64_t w) { return w != kFreeSlot; });
    if (first != global_types.child_windows.begin() + kMainWindowSlot) {
        closewindow(*first);
        *first = kFreeSlot;
    }
    setcurrentwindow(main_window());
}

void clear_checkbox() {
    for (std::size_t i = 0; i < kModelButtonTexts.size(); ++i) {
        if (radiobuttonischecked(static_cast<std::int64_t>(i))) {
            global_types.imdl[i] = 0;
            radiobuttonsetchecked(static_cast<std::int64_t>(i), false);
        }
    }
}

// Sets the buttons and flags of models first..first+2 after clearing all.
void choose_three(std::size_t first) {
    clear_checkbox();
    for (std::size_t i = first; i < first + 3; ++i) {
        radiobuttonsetchecked(static_cast<std::int64_t>(i), true);
        global_types.imdl[i] = 1;
    }
}

struct SelectionLayout {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t row_step = 0;
};

SelectionLayout selection_layout() {
    const auto screen_height = static_cast<std::int64_t>(static_cast<double>(getmaxheight()) / 1.100000023841858);
    const auto screen_third = static_cast<std::int64_t>(static_cast<double>(getmaxwidth()) / 3.299999952316284);
    SelectionLayout layout;
    layout.row_step = std::max(screen_height / 15, kMinimumRowStep);
    layout.width = std::max(screen_third, kMinimumWidth);
    layout.height = std::max(screen_height / 3, 4 * layout.row_step + kButtonHeight + kBottomMargin);
    layout.x = std::max<std::int64_t>(0, std::min(screen_third, getmaxwidth() - layout.width));
    layout.y = screen_height / 4;
    return layout;
}

void model_selection() {
    const SelectionLayout layout = selection_layout();
    const std::int64_t window = initwindow(layout.width, layout.height, "Select Models", layout.x, layout.y, false);
    setwindowsystemclosecallback([] {});  // closing by the frame ends the choice like "Close"
    setcolor(creatergb(0, 0, 0));
    setbkcolor(creatergb(242, 245, 250));
    clearviewport();
    settextstyle(7, 0, scaledpi(16));

    const std::int64_t q = layout.row_step;
    beginradiogroup();
    for (std::size_t i = 0; i < kModelButtonTexts.size(); ++i) {
        const auto y = static_cast<std::int64_t>(static_cast<double>(q) * 0.5 * static_cast<double>(i + 1));
        const std::int64_t index =
            createradiobutton(kRadioX, y, kRadioWidth, kRadioHeight, std::string(kModelButtonTexts[i]));
        radiobuttonsetchecked(index, global_types.imdl[i] != 0);
        setradiobuttonvisible(index, true);
    }
    const std::int64_t centre = layout.width / 2;
    createbutton(centre - 220, 4 * q, kButtonWidth, kButtonHeight, "Product", [] { choose_three(0); });
    createbutton(centre - 100, 4 * q, kButtonWidth, kButtonHeight, "Substrate", [] { choose_three(3); });
    createbutton(centre + 20, 4 * q, kButtonWidth, kButtonHeight, "Clear", clear_checkbox);
    createbutton(centre + 140, 4 * q, kButtonWidth, kButtonHeight, "Close", stopidle);
    register_child(window);
    loop();

    for (std::size_t i = 0; i < kModelButtonTexts.size(); ++i) {
        global_types.imdl[i] = radiobuttonischecked(static_cast<std::int64_t>(i)) ? 1 : 0;
    }
    for (std::size_t i = 0; i < kModelButtonTexts.size(); ++i) {
        if (global_types.imdl[i] > 0) {
            global_types.imdlno = static_cast<std::int64_t>(i) + 1;
            break;
        }
    }
    refreshall();
    openparentwindow();
    stopidle();
    closewindow(window);
    enablewindow(main_window(), true);
    refreshall();
}

}  // namespace

void model_lib() {
    closeallchilds();
    enablewindow(main_window(), false);
    model_selection();
    enablewindow(main_window(), true);
    closeallchilds();
    refreshall();
}

}  // namespace imm
