#include <QAccessible>
#include <QAction>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/qt/layer_window.h"
#include "tests/app/qt/qt_test_support.h"
#include "window/window.h"

namespace imm {
namespace {

using QtWindow = QtLayerTest;

LayerWindow* layer_window(std::int64_t id) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = dynamic_cast<LayerWindow*>(w); found && found->id() == id) {
            return found;
        }
    }
    return nullptr;
}

TEST_F(QtWindow, OperationsFromTheGuiThreadAndFromTheProgramThreadComplete) {
    const std::int64_t direct = initwindow(300, 200, "Direct", 10, 10, false);
    setwindowtitle("Set directly");
    EXPECT_GT(getmaxwidth(), 0);
    EXPECT_EQ(getmaxx(), 299);

    std::int64_t from_program = -1;
    std::int64_t width = 0;
    ProgramThread program([&] {
        from_program = initwindow(320, 240, "Program", 20, 20, false);
        setwindowtitle("Set by the program");
        width = getmaxx() + 1;
        settextstyle(7, 0, 14);
        EXPECT_GT(textwidth("Sorvek-IMM"), 0);
        clearviewport();
        outtextxy(5, 5, "one\r\ntwo");
        refreshall();
    });
    ASSERT_TRUE(program.finish());
    EXPECT_EQ(from_program, direct + 1);
    EXPECT_EQ(width, 320);
    ASSERT_NE(layer_window(direct), nullptr);
    EXPECT_EQ(layer_window(direct)->windowTitle(), "Set directly");
    EXPECT_EQ(layer_window(from_program)->windowTitle(), "Set by the program");
}

TEST_F(QtWindow, MenuBarHoldsTheItemsInOrderWithTheirStates) {
    std::atomic<int> code{-1};
    std::int64_t main_window = -1;
    ProgramThread build([&] {
        main_window = initwindow(400, 300, "Main", 0, 0, false);
        const std::int64_t bar = addmenu("", -1);
        const std::int64_t file = addmenu("File", bar);
        addmenuitem("OpenData", bar, [&] {
            code = 4;
            setwindowtitle("chosen");  // a procedure runs on the GUI thread and calls the layer directly
            stopidle();
        });
        const std::int64_t weight = addmenu("Weight", bar);
        const std::int64_t run = addmenuitem("Run", bar, [&] { code = 1; });
        addmenuitem("Open Data File", file, [&] { code = 4; });
        const std::int64_t edit = addmenuitem("Edit Data File", file, [&] { code = 12; });
        addmenuitem("Turn-ON Robust Wt", weight, [] {});
        enablemenuitem(weight, false);
        enablemenuitem(run, false);
        enablemenuitem(edit, false);
    });
    ASSERT_TRUE(build.finish());
    LayerWindow* w = layer_window(main_window);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->canvas()->height(), 300);  // the bar does not take room from the drawing area

    const QList<QAction*> bar = w->menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    const QStringList titles{bar[0]->text(), bar[1]->text(), bar[2]->text(), bar[3]->text()};
    EXPECT_EQ(titles, (QStringList{"File", "OpenData", "Weight", "Run"}));
    EXPECT_TRUE(bar[0]->isEnabled());
    EXPECT_TRUE(bar[1]->isEnabled());
    EXPECT_FALSE(bar[2]->isEnabled());
    EXPECT_FALSE(bar[3]->isEnabled());
    const QList<QAction*> file = bar[0]->menu()->actions();
    ASSERT_EQ(file.size(), 2);
    EXPECT_EQ(file[0]->text(), "Open Data File");
    EXPECT_TRUE(file[0]->isEnabled());
    EXPECT_FALSE(file[1]->isEnabled());

    ProgramThread waiting([] {
        setcurrentwindow(0);
        loop();  // until the menu item's procedure wakes the window
    });
    bar[1]->trigger();
    ASSERT_TRUE(waiting.finish());
    EXPECT_EQ(code, 4);
    EXPECT_EQ(w->windowTitle(), "chosen");
}

TEST_F(QtWindow, TextAreaUsesCrLfTextAndAFixedWidthFont) {
    std::int64_t area = -1;
    std::string contents;
    ProgramThread program([&] {
        initwindow(400, 300, "Main", 0, 0, false);
        area = createmultilinetextbox(5, 5, 390, 290, false);
        enabletextbox(area, true);
        inserttextboxtext(area, "Km    Vm\r\n");
        inserttextboxtext(area, "1.0   2.0\r\n");
        settextboxcursorposition(area, 0);
        inserttextboxtext(area, "head\r\n");
        appendtextboxtext(area, "end\r\n");
        contents = gettextboxcontents(area);
    });
    ASSERT_TRUE(program.finish());
    EXPECT_EQ(contents, "head\r\nKm    Vm\r\n1.0   2.0\r\nend\r\n");
    EXPECT_EQ(gettextboxlength(area), static_cast<std::int64_t>(contents.size()));
    auto* edit = find_window<LayerWindow>()->findChild<QPlainTextEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->toPlainText(), "head\nKm    Vm\n1.0   2.0\nend\n");
    EXPECT_EQ(edit->textCursor().position(), edit->toPlainText().size());
    EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(QFontInfo(edit->font()).fixedPitch());

    settextboxcontents(area, "");
    EXPECT_EQ(gettextboxlength(area), 0);
}

TEST_F(QtWindow, TextAreaFollowsTheWindowsSize) {
    ProgramThread program([&] {
        initwindow(400, 300, "Main", 0, 0, false);
        createmultilinetextbox(5, 5, 390, 290, false);
    });
    ASSERT_TRUE(program.finish());
    auto* window = find_window<LayerWindow>();
    ASSERT_NE(window, nullptr);
    auto* edit = window->findChild<QPlainTextEdit*>();
    ASSERT_NE(edit, nullptr);
    const QSize before = window->canvas()->size();
    window->resize(window->width() + 200, window->height() + 100);
    ASSERT_TRUE(pump_until([&] { return window->canvas()->width() == before.width() + 200; }));
    const QRect area = edit->geometry();
    EXPECT_EQ(area.topLeft(), QPoint(5, 5));
    EXPECT_EQ(area.width(), window->canvas()->width() - 10);
    EXPECT_EQ(area.height(), window->canvas()->height() - 10);
}

TEST_F(QtWindow, RadioClickSetsOneButtonsAndFrameCloseWakeTheProgram) {
    std::atomic<bool> closed_by_frame{false};
    std::int64_t selection = -1;
    ProgramThread build([&] {
        initwindow(400, 300, "Main", 0, 0, false);
        selection = initwindow(300, 200, "Select Models", 0, 0, false);
        setwindowsystemclosecallback([&] { closed_by_frame = true; });
        beginradiogroup();
        for (int i = 0; i < 6; ++i) {
            createradiobutton(60, 10 + 25 * i, 200, 25, "model " + std::to_string(i + 1));
        }
        createbutton(10, 170, 100, 25, "Product", [] {
            for (int i = 0; i < 3; ++i) {
                radiobuttonsetchecked(i, true);
            }
        });
    });
    ASSERT_TRUE(build.finish());
    LayerWindow* w = layer_window(selection);
    ASSERT_NE(w, nullptr);
    w->findChild<QPushButton*>()->click();
    EXPECT_TRUE(radiobuttonischecked(0) && radiobuttonischecked(1) && radiobuttonischecked(2));
    w->radio_buttons[4]->click();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(radiobuttonischecked(i), i == 4) << i;
        EXPECT_EQ(w->radio_buttons[static_cast<std::size_t>(i)]->isChecked(), i == 4) << i;
    }

    ProgramThread waiting([] { loop(); });
    QPointer<LayerWindow> frame = w;
    frame->close();  // the frame's close button
    ASSERT_TRUE(waiting.finish());
    EXPECT_TRUE(closed_by_frame);
    EXPECT_TRUE(pump_until([&] { return frame.isNull(); }));
}

// Assistive tools see radio buttons, and their actions count as clicks: one
// button set, the others of its group cleared, in the layer as on the screen.
TEST_F(QtWindow, RadioButtonsToAssistiveToolsAndTheirActionsCountAsClicks) {
    std::int64_t selection = -1;
    ProgramThread build([&] {
        selection = initwindow(300, 200, "Select Models", 0, 0, false);
        beginradiogroup();
        for (int i = 0; i < 6; ++i) {
            createradiobutton(60, 10 + 25 * i, 200, 25, "model " + std::to_string(i + 1));
        }
        for (int i = 0; i < 3; ++i) {
            radiobuttonsetchecked(i, true);
        }
    });
    ASSERT_TRUE(build.finish());
    LayerWindow* w = layer_window(selection);
    ASSERT_NE(w, nullptr);
    const auto shown = [w] {
        std::vector<bool> states;
        for (const auto& button : w->radio_buttons) {
            states.push_back(button->isChecked());
        }
        return states;
    };
    const auto kept = [] {
        std::vector<bool> states;
        for (int i = 0; i < 6; ++i) {
            states.push_back(radiobuttonischecked(i));
        }
        return states;
    };
    // The layer can still set several.
    EXPECT_EQ(shown(), (std::vector<bool>{true, true, true, false, false, false}));

    const auto accessible = [w](std::size_t i) {
        return QAccessible::queryAccessibleInterface(w->radio_buttons[i].data());
    };
    for (std::size_t i = 0; i < 6; ++i) {
        ASSERT_NE(accessible(i), nullptr);
        EXPECT_EQ(accessible(i)->role(), QAccessible::RadioButton) << i;
        EXPECT_EQ(accessible(i)->state().checked, i < 3) << i;
    }
    const std::vector<bool> only_four = {false, false, false, false, true, false};
    const QString toggle = QAccessibleActionInterface::toggleAction();
    accessible(4)->actionInterface()->doAction(toggle);
    EXPECT_EQ(kept(), only_four);
    EXPECT_EQ(shown(), only_four);
    // Toggling the set button leaves it set, as a click does.
    accessible(4)->actionInterface()->doAction(toggle);
    EXPECT_EQ(kept(), only_four);
    EXPECT_EQ(shown(), only_four);
    // Pressing clicks the button.
    accessible(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    const std::vector<bool> only_one = {false, true, false, false, false, false};
    EXPECT_TRUE(pump_until([&] { return kept() == only_one; }));
    EXPECT_EQ(shown(), only_one);
}

}  // namespace
}  // namespace imm
