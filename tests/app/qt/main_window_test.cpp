#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
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
    LayerWindow* splash = nullptr;
    ASSERT_TRUE(pump_until([&] { return (splash = window_titled("Sorvek-IMM")) != nullptr; }));
    splash->close();  // ends the splash early
    LayerWindow* main = nullptr;
    ASSERT_TRUE(pump_until([&] { return (main = window_titled(kTitle)) != nullptr && !window_titled("Sorvek-IMM"); }));

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

}  // namespace
}  // namespace imm
