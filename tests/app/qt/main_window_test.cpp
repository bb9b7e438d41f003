#include <unistd.h>

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/main_program.h"
#include "app/qt/layer_window.h"
#include "app/qt/plot_window.h"
#include "support/shared_blocks.h"
#include "tests/app/qt/qt_test_support.h"

namespace imm {
namespace {

using QtMainWindow = QtLayerTest;

const QString kTitle = "Sorvek-IMM: Enzyme Progress of Reaction Modeling Software";

TEST_F(QtMainWindow, OpensTheExampleFileRunsAndShowsTheReport) {
    std::random_device entropy;
    const auto folder = std::filesystem::temp_directory_path() / ("sorvek_main_window_" + std::to_string(entropy()));
    std::filesystem::create_directories(folder);
    const auto data = folder / "example.in";
    std::filesystem::copy_file(std::filesystem::path(SORVEK_SOURCE_DIR) / "examples" / "example.in", data);
    const auto before = std::filesystem::current_path();
    for (auto& flag : global_types.imdl) {
        flag = 0;
    }

    ProgramThread program([] { main_program(ProgramOptions{}); });
    LayerWindow* main = main_window_after_splash();
    ASSERT_NE(main, nullptr);

    QStringList bar;
    for (QAction* action : main->menuBar()->actions()) {
        bar << action->text();
    }
    EXPECT_EQ(bar, (QStringList{"File", "OpenData", "Models", "Weight", "Run", "Rerun", "Clear", "XY_Plot",
                                "Rate_Plot", "Residuals", "Help", "About", "Quit"}));
    EXPECT_FALSE(bar_action(main, "Run")->isEnabled());
    QStringList file;
    for (QAction* action : bar_action(main, "File")->menu()->actions()) {
        file << action->text();
    }
    EXPECT_EQ(file, (QStringList{"Open Data File", "Edit Data File", "Run Curve-fit", "XY Plot", "Clear Display",
                                 "Save Results", "Print Results", "Enzymatic Mechanism", "Model Library",
                                 "Example Data File", "About", "Quit"}));
    auto* area = main->findChild<QPlainTextEdit*>();
    ASSERT_NE(area, nullptr);

    // Product models through the selection window.
    LayerWindow* selection = open_model_selection(main);
    ASSERT_NE(selection, nullptr);
    push_button(selection, "Product")->click();
    push_button(selection, "Close")->click();
    ASSERT_TRUE(pump_until([&] { return window_titled("Select Models") == nullptr && bar_action(main, "Run")->isEnabled(); }));

    // The example file through the open dialog.
    QFileDialog* dialog = nullptr;
    ASSERT_TRUE(choose_until(bar_action(main, "OpenData"),
                             [&] { return (dialog = find_window<QFileDialog>()) != nullptr; }));
    EXPECT_EQ(dialog->windowTitle(), "Enter data file");
    emit dialog->fileSelected(QString::fromStdString(data.string()));
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    const QString shown = QString::fromStdString(data.string());
    ASSERT_TRUE(pump_until([&] { return main->windowTitle() == shown; }));

    const auto report = folder / "example.out";
    const std::string record = "   Results written to " + report.string();
    QMessageBox* box = nullptr;
    int plots_closed = 0;  // the XY plot after each model waits for its window to close
    ASSERT_TRUE(choose_until(bar_action(main, "Run"), [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* plot = dynamic_cast<PlotWindow*>(w); plot && plot->isVisible()) {
                plot->close();
                ++plots_closed;
            }
        }
        box = find_window<QMessageBox>();
        return box || (main->windowTitle() == kTitle && bar_action(main, "Rerun")->isEnabled());
    }));
    ASSERT_EQ(box, nullptr) << box->text().toStdString();
    EXPECT_EQ(plots_closed, 3);
    const std::string written = file_text(report);
    ASSERT_TRUE(written.ends_with(record + "\n")) << written;
    EXPECT_EQ(area->toPlainText(), shown_report(written.substr(0, written.size() - record.size() - 1)));
    EXPECT_EQ(area->textCursor().position(), area->toPlainText().size());  // three models: at the end
    EXPECT_FALSE(bar_action(main, "Run")->isEnabled());

    ASSERT_TRUE(choose_until(bar_action(main, "Quit"), [&] { return program.done(); }));
    ASSERT_TRUE(program.finish());
    std::filesystem::current_path(before);
    std::filesystem::remove_all(folder);
}

// Runs the named test alone again, in a process whose screen is 1366 x 768.
int run_on_a_1366_by_768_screen(const std::string& test) {
    const std::string config = testing::TempDir() + "sorvek_screen_1366x768_" + std::to_string(getpid()) + ".json";
    std::ofstream(config) << R"({"screens": [{"name": "laptop", "width": 1366, "height": 768}]})";
    const std::string platform = "QT_QPA_PLATFORM='offscreen:configfile=" + config + "'";
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const int status = std::system((platform + " '" + self + "' --gtest_filter=" + test).c_str());
    std::filesystem::remove(config);
    return status;
}

// On a laptop's screen every entry of the bar shows, none behind the bar's extension button.
TEST_F(QtMainWindow, ShowsEveryMenuEntryOnA1366By768Screen) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::string_view(platform).find("sorvek_screen_1366x768") == std::string_view::npos) {
        ASSERT_EQ(run_on_a_1366_by_768_screen("QtMainWindow.ShowsEveryMenuEntryOnA1366By768Screen"), 0);
        return;
    }
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1366, 768));
    ProgramThread program([] { main_program(ProgramOptions{}); });
    LayerWindow* main = main_window_after_splash();
    ASSERT_NE(main, nullptr);
    QMenuBar* bar = main->menuBar();
    ASSERT_EQ(bar->actions().size(), 13);
    EXPECT_TRUE(pump_until([bar] {
        const QList<QAction*> entries = bar->actions();
        return std::all_of(entries.begin(), entries.end(),
                           [bar](QAction* entry) { return bar->rect().contains(bar->actionGeometry(entry)); });
    }, std::chrono::seconds(2)));
    EXPECT_FALSE(bar->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"))->isVisible());
    EXPECT_TRUE(main->screen()->availableGeometry().contains(main->frameGeometry()));
    // The report area widens with the window, 5 pixels from its edges.
    EXPECT_EQ(main->findChild<QPlainTextEdit*>()->geometry(),
              main->centralWidget()->rect().marginsRemoved(QMargins(5, 5, 5, 5)));
    EXPECT_TRUE(main->screen()->grabWindow(0).save(screenshot_file("main_window_1366x768.png")));
    ASSERT_TRUE(choose_until(bar_action(main, "Quit"), [&] { return program.done(); }));
    ASSERT_TRUE(program.finish());
}

}  // namespace
}  // namespace imm
