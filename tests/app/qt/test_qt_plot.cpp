#include <QAction>
#include <QChartView>
#include <QFileDialog>
#include <QGraphicsTextItem>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

#include "app/plots/xy_plot.h"
#include "app/qt/plot_window.h"
#include "support/shared_blocks.h"
#include "tests/app/qt/qt_test_support.h"
#include "tests/file_size_limit.h"
#include "tests/unprivileged_user.h"
#include "window/plot.h"

namespace imm {
namespace {

using QtPlot = QtLayerTest;
namespace fs = std::filesystem;

plot_t sample_plot(const std::string& title) {
    plot_t plot = initialize_plot();
    set_title(plot, title);
    set_xlabel(plot, "TIME ");
    set_ylabel(plot, "PRODUCT ");
    const std::vector<double> t{0, 40, 120, 160, 200};
    const std::vector<double> y{0.5, 13.7, 32.7, 42.6, 45.4};
    add_dataset(plot, t, y);
    set_seriestype(plot, 0, kSeriesLargeDots);
    set_seriescolor(plot, 0, 0, 0, 255);
    set_serieslabel(plot, 0, "[So] =50.0000000");
    add_dataset(plot, t, y);
    set_seriestype(plot, 1, kSeriesLine);
    add_dataset(plot, t, y);
    set_seriestype(plot, 2, kSeriesBars);
    add_dataset(plot, t, y);
    set_seriestype(plot, 3, kSeriesSmallDots);
    set_xscale(plot, 0, 220);
    set_yscale(plot, 0, 60);
    return plot;
}

QAction* file_action(PlotWindow* window, const QString& text) {
    for (QAction* action : window->menuBar()->actions()[0]->menu()->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

// Shows the plot on a program thread and returns once its window is up.
PlotWindow* shown_plot(ProgramThread& program) {
    PlotWindow* window = nullptr;
    EXPECT_TRUE(pump_until([&] { return (window = find_window<PlotWindow>()) != nullptr; }));
    EXPECT_FALSE(program.done());
    return window;
}

TEST_F(QtPlot, DisplayReturnsWhenCloseIsChosenOrTheFrameIsClosed) {
    plot_t plot = sample_plot("Model 1\r\nSaturation Plot");
    {
        ProgramThread program([&] { display_plot(plot); });
        PlotWindow* window = shown_plot(program);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), "Model 1 Saturation Plot");
        EXPECT_EQ(window->size(), QSize(800, 600));
        const QList<QAction*> menus = window->menuBar()->actions();
        ASSERT_EQ(menus.size(), 1);
        EXPECT_EQ(menus[0]->text(), "File");
        QStringList items;
        for (QAction* a : menus[0]->menu()->actions()) {
            items << a->text();
        }
        EXPECT_EQ(items, (QStringList{"Save As...", "Print...", "Close"}));
        file_action(window, "Close")->trigger();
        ASSERT_TRUE(program.finish());
    }
    set_title(plot, "");
    {
        ProgramThread program([&] { display_plot(plot); });
        PlotWindow* window = shown_plot(program);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), "Plot");
        window->close();
        ASSERT_TRUE(program.finish());
    }
}

TEST_F(QtPlot, SaveAsWritesAReadablePngOrSaysWhyNot) {
    const auto file = std::filesystem::temp_directory_path() / "sorvek_qt_plot.png";
    std::filesystem::remove(file);
    plot_t plot = sample_plot("Model 1");
    ProgramThread program([&] { display_plot(plot); });
    PlotWindow* window = shown_plot(program);
    ASSERT_NE(window, nullptr);
    file_action(window, "Save As...")->trigger();
    QFileDialog* dialog = nullptr;
    ASSERT_TRUE(pump_until([&] { return (dialog = find_window<QFileDialog>()) != nullptr; }));
    // As the user's choice; accept() itself may check the file on a slow model first.
    emit dialog->fileSelected(QString::fromStdString(file.string()));
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    ASSERT_TRUE(pump_until([&] { return std::filesystem::exists(file); }));
    const QImage image(QString::fromStdString(file.string()));
    EXPECT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 100);
    // A format the image writer does not know: no file, and the formats it knows.
    const QString pdf = QString::fromStdString((file.parent_path() / "sorvek_qt_plot.pdf").string());
    std::filesystem::remove(pdf.toStdString());
    const QString formats = window->save_image(pdf);
    EXPECT_TRUE(formats.startsWith("Could not save the image to " + pdf + "\nImages can be saved as ") &&
                formats.contains("png, ") && formats.endsWith(": end the file name with one of these.") &&
                !std::filesystem::exists(pdf.toStdString()))
        << formats.toStdString();
    // Through a new file beside the old one, or in place where the folder takes no new file:
    // past a file-size limit the old file stays byte for byte and the reason is given.
    const auto saves = file.parent_path() / "sorvek_qt_plot_saves";
    fs::remove_all(saves);
    fs::create_directories(saves / "shut");
    fs::copy_file(file, saves / "plot.png");
    for (const char* old : {"shut/plot.png", "shut/old.png"}) std::ofstream(saves / old) << "old image";
    fs::resize_file(saves / "shut/plot.png", 1 << 20);  // longer than the new image
    fs::permissions(saves / "shut", fs::perms::owner_read | fs::perms::owner_exec);
    const std::tuple<const char*, rlim_t, QString> cases[] = {  // file, file-size limit, reason
        {"plot.png", 1000, "File too large"},
        {"shut/plot.png", 1000, "File too large"},
        {"shut/old.png", 1000, "File too large"},
        {"shut/old.png", RLIM_INFINITY, ""},
        {"shut/new.png", RLIM_INFINITY, "Permission denied"},
    };
    test::run_unprivileged(saves, [&] {
        for (const auto& [name, limit, reason] : cases) {
            const QString png = QString::fromStdString((saves / name).string());
            const std::string before = file_text(saves / name);
            const test::FileSizeLimit limited(limit);
            const QString said = window->save_image(png);
            EXPECT_EQ(said, reason.isEmpty() ? "" : "Could not save the image to " + png + ": " + reason);
            EXPECT_TRUE(reason.isEmpty() ? !QImage(png).isNull() : file_text(saves / name) == before) << name;
        }
    });
    for (const char* folder : {"", "shut"}) EXPECT_EQ(std::distance(fs::directory_iterator(saves / folder), {}), 2);
    fs::permissions(saves / "shut", fs::perms::owner_all);
    fs::remove_all(saves);
    window->close();
    ASSERT_TRUE(program.finish());
}

TEST_F(QtPlot, PrintsToAPdfFile) {
    const auto file = std::filesystem::temp_directory_path() / "sorvek_qt_plot.pdf";
    std::filesystem::remove(file);
    plot_t plot = sample_plot("Model 1");
    ProgramThread program([&] { display_plot(plot); });
    PlotWindow* window = shown_plot(program);
    ASSERT_NE(window, nullptr);
    file_action(window, "Print...")->trigger();
    QPrintDialog* dialog = nullptr;
    ASSERT_TRUE(pump_until([&] { return (dialog = find_window<QPrintDialog>()) != nullptr; }));
    dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
    dialog->printer()->setOutputFileName(QString::fromStdString(file.string()));
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    ASSERT_TRUE(pump_until([&] { return std::filesystem::exists(file) && std::filesystem::file_size(file) > 0; }));
    std::string head(4, ' ');
    std::ifstream(file, std::ios::binary).read(head.data(), 4);
    EXPECT_EQ(head, "%PDF");
    window->close();
    ASSERT_TRUE(program.finish());
}

// Ten curves, the most a data file holds, with the longest legend texts: every
// entry is drawn whole at the window's first size, not cut short.
TEST_F(QtPlot, TheXyPlotOfTenCurvesDrawsEveryLegendEntryWhole) {
    const std::array<double, kPlotCurves> so{0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50};
    std::set<std::string> legend;
    for (std::size_t row = 0; row < 60; ++row) {
        a1.t[row] = 40.0 * static_cast<double>(row % 6);
        a1.so[row] = so[row / 6];
        a1.ycalc[row] = a1.so[row] * (1.0 - std::exp(-0.01 * a1.t[row]));
        a1.yobs[row] = a1.ycalc[row] * (row % 2 == 0 ? 1.03 : 0.97);
        legend.insert(so_legend(a1.so[row]));
    }
    global_types.idat = 60;
    global_types.strmdl = "1- [Pt] vs time Michaelis-Menten";
    a1.nmdl = 1;
    ProgramThread program([] { xyplot(); });
    PlotWindow* window = shown_plot(program);
    ASSERT_NE(window, nullptr);
    auto* view = window->findChild<QChartView*>();
    ASSERT_TRUE(view && pump_until([&] { return view->updatesEnabled(); }));
    EXPECT_EQ(window->size(), QSize(800, 600));
    std::set<std::string> drawn;
    for (QGraphicsItem* item : view->scene()->items()) {
        const auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (text && text->isVisible() && text->toPlainText().startsWith("[So]")) {
            drawn.insert(text->toPlainText().toStdString());
        }
    }
    EXPECT_EQ(drawn, legend);
    EXPECT_EQ(window->save_image(screenshot_file("xy_plot_ten_curves.png")), QString());
    window->close();
    ASSERT_TRUE(program.finish());
}

}  // namespace
}  // namespace imm
