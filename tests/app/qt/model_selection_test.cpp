// The model-selection window on the Qt back end, worked through an assistive
// tool's actions instead of the mouse.
#include <QAccessible>
#include <QPushButton>

#include "app/model_selection.h"
#include "support/shared_blocks.h"
#include "tests/app/qt/qt_test_support.h"
#include "window/window.h"

namespace imm {
namespace {

using QtModelSelection = QtLayerTest;

TEST_F(QtModelSelection, AButtonSetByAnAssistiveToolIsTheOneModelChosen) {
    for (auto& flag : global_types.imdl) {
        flag = 0;
    }
    global_types.imdlno = 1;
    ProgramThread program([] {
        const std::int64_t main = initwindow(400, 300, "Main", 0, 0, false);
        global_types.child_windows.fill(-1);
        global_types.child_windows.back() = main;
        global_types.idactivewin = main;
        model_lib();
    });
    LayerWindow* selection = nullptr;
    ASSERT_TRUE(pump_until([&] {
        selection = window_titled("Select Models");
        return selection && push_button(selection, "Close") && selection->radio_buttons.size() == 6;
    }));
    push_button(selection, "Product")->click();
    QAccessibleInterface* model_five = QAccessible::queryAccessibleInterface(selection->radio_buttons[4].data());
    ASSERT_NE(model_five, nullptr);
    EXPECT_EQ(model_five->role(), QAccessible::RadioButton);
    model_five->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    push_button(selection, "Close")->click();
    ASSERT_TRUE(program.finish());

    std::vector<std::int64_t> flags;
    for (const auto& flag : global_types.imdl) {
        flags.push_back(flag);
    }
    EXPECT_EQ(flags, (std::vector<std::int64_t>{0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(global_types.imdlno, 5);
}

}  // namespace
}  // namespace imm
