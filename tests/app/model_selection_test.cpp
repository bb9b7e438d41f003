#include <gtest/gtest.h>

#include "app/command_codes.h"
#include "app/model_selection.h"
#include "program_harness.h"

namespace imm {
namespace {

using testing_support::ProgramRun;
using E = MenuEntry;

std::vector<std::int64_t> flags() {
    std::vector<std::int64_t> values;
    for (const auto& flag : global_types.imdl) {
        values.push_back(flag);
    }
    return values;
}

// Opens the selection window from the Models entry and returns its identifier.
std::int64_t open_selection(ProgramRun& program) {
    program.choose(E::models);
    EXPECT_TRUE(program.wait_window_open("Select Models"));
    return program.window_titled("Select Models");
}

void close_with(ProgramRun& program, const std::string& button, std::int64_t times) {
    program.backend().choose(program.button(button));
    ASSERT_TRUE(program.wait_done(command::model_selection, times));
}

struct Choice {
    std::string name;
    std::vector<std::string> buttons;   // pressed before the window is closed
    std::int64_t radio_click = -1;      // clicked after the buttons
    bool close_by_frame = false;
    std::vector<std::int64_t> flags;
    std::int64_t imdlno;
};

void PrintTo(const Choice& c, std::ostream* os) { *os << c.name; }

class ModelChoice : public testing::TestWithParam<Choice> {};

TEST_P(ModelChoice, LeavesTheFlagsAndTheFirstModel) {
    const Choice& choice = GetParam();
    ProgramRun program;
    program.start();
    global_types.imdlno = 0;
    const std::int64_t window = open_selection(program);
    for (const std::string& button : choice.buttons) {
        program.backend().choose(program.button(button));
    }
    if (choice.radio_click >= 0) {
        program.backend().click_radio_button(window, choice.radio_click);
    }
    if (choice.close_by_frame) {
        program.backend().close_frame(window);
        ASSERT_TRUE(program.wait_done(command::model_selection, 1));
    } else {
        close_with(program, "Close", 1);
    }
    EXPECT_EQ(flags(), choice.flags);
    EXPECT_EQ(global_types.imdlno, choice.imdlno);
    const auto r = program.record();
    EXPECT_FALSE(r.windows.at(window).open);
    EXPECT_TRUE(r.windows.at(0).enabled);
    for (std::size_t slot = 0; slot < 255; ++slot) {
        EXPECT_EQ(global_types.child_windows[slot], -1);
    }
}

const Choice kChoices[] = {
    {"NothingChosen", {}, -1, false, {0, 0, 0, 0, 0, 0}, 0},
    {"Product", {"Product"}, -1, false, {1, 1, 1, 0, 0, 0}, 1},
    {"Substrate", {"Substrate"}, -1, false, {0, 0, 0, 1, 1, 1}, 4},
    {"ProductThenClear", {"Product", "Clear"}, -1, false, {0, 0, 0, 0, 0, 0}, 0},
    {"SubstrateThenProduct", {"Substrate", "Product"}, -1, false, {1, 1, 1, 0, 0, 0}, 1},
    {"ModelFiveAfterProduct", {"Product"}, 4, false, {0, 0, 0, 0, 1, 0}, 5},
    {"ModelTwoAlone", {}, 1, false, {0, 1, 0, 0, 0, 0}, 2},
    {"ProductClosedByFrame", {"Product"}, -1, true, {1, 1, 1, 0, 0, 0}, 1},
    {"ModelSixClosedByFrame", {}, 5, true, {0, 0, 0, 0, 0, 1}, 6},
};

INSTANTIATE_TEST_SUITE_P(Buttons, ModelChoice, testing::ValuesIn(kChoices),
                         [](const testing::TestParamInfo<Choice>& info) { return info.param.name; });

TEST(ModelSelection, WindowShowsTheChosenModelsAndKeepsTheMainWindowDisabled) {
    ProgramRun program;
    program.start();
    program.select_models("Substrate");
    const std::int64_t window = open_selection(program);
    auto r = program.record();
    EXPECT_FALSE(r.windows.at(0).enabled);
    const auto& radios = r.radio_buttons.at(window);
    ASSERT_EQ(radios.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(radios[i].text, kModelButtonTexts[i]);
        EXPECT_EQ(radios[i].checked, i >= 3) << i;
        EXPECT_TRUE(radios[i].visible);
    }
    close_with(program, "Close", 2);
    // Nothing chosen now keeps the earlier first model.
    open_selection(program);
    program.backend().choose(program.button("Clear"));
    close_with(program, "Close", 3);
    EXPECT_EQ(flags(), (std::vector<std::int64_t>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(global_types.imdlno, 4);
}

TEST(ModelSelection, LayoutOnALargeScreenFollowsTheScreenSize) {
    ProgramRun program({2880, 1620});
    program.start();
    const std::int64_t window = open_selection(program);
    const auto r = program.record();
    const WindowSpec& layout = r.windows.at(window).layout;
    const std::int64_t h = static_cast<std::int64_t>(1620 / 1.100000023841858);  // 1472
    const std::int64_t w = static_cast<std::int64_t>(2880 / 3.299999952316284);  // 872
    EXPECT_EQ(layout.width, w);
    EXPECT_EQ(layout.height, h / 3);
    EXPECT_EQ(layout.x, w);
    EXPECT_EQ(layout.y, h / 4);
    EXPECT_FALSE(layout.close_flag);
    const std::int64_t q = h / 15;
    const auto& radios = r.radio_buttons.at(window);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(radios[i].rect.x, 60);
        EXPECT_EQ(radios[i].rect.y, static_cast<std::int64_t>(q * 0.5 * static_cast<double>(i + 1)));
        EXPECT_EQ(radios[i].rect.width, 700);
        EXPECT_EQ(radios[i].rect.height, 25);
    }
    const std::vector<std::pair<std::string, std::int64_t>> buttons = {
        {"Product", w / 2 - 220}, {"Substrate", w / 2 - 100}, {"Clear", w / 2 + 20}, {"Close", w / 2 + 140}};
    for (const auto& [text, x] : buttons) {
        const auto found = std::find_if(r.buttons.begin(), r.buttons.end(), [&](const RecordedButton& b) {
            return b.window == window && b.text == text;
        });
        ASSERT_NE(found, r.buttons.end()) << text;
        EXPECT_EQ(found->rect.x, x);
        EXPECT_EQ(found->rect.y, 4 * q);
        EXPECT_EQ(found->rect.width, 100);
        EXPECT_EQ(found->rect.height, 45);
    }
    close_with(program, "Close", 1);
}

TEST(ModelSelection, EveryControlFitsInsideTheWindowOnA1366By768Screen) {
    ProgramRun program({1366, 768});
    program.start();
    const std::int64_t window = open_selection(program);
    const auto r = program.record();
    const WindowSpec& layout = r.windows.at(window).layout;
    EXPECT_GE(layout.x, 0);
    EXPECT_GE(layout.y, 0);
    EXPECT_LE(layout.x + layout.width, 1366);
    EXPECT_LE(layout.y + layout.height, 768);
    auto inside = [&](const Rect& rect) {
        return rect.x >= 0 && rect.y >= 0 && rect.x + rect.width <= layout.width &&
               rect.y + rect.height <= layout.height;
    };
    for (const RecordedRadioButton& radio : r.radio_buttons.at(window)) {
        EXPECT_TRUE(inside(radio.rect)) << radio.text;
    }
    for (const RecordedButton& button : r.buttons) {
        if (button.window == window) {
            EXPECT_TRUE(inside(button.rect)) << button.text;
        }
    }
    // The main window and its text area fit as well.
    const WindowSpec& main = r.windows.at(0).layout;
    EXPECT_LE(main.x + main.width, 1366);
    EXPECT_LE(main.y + main.height, 768);
    const RecordedTextArea& area = r.text_areas.begin()->second;
    EXPECT_LE(area.rect.x + area.rect.width, main.width);
    EXPECT_LE(area.rect.y + area.rect.height, main.height);
    close_with(program, "Close", 1);
}

}  // namespace
}  // namespace imm
