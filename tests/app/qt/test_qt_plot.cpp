#include <QAction>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <filesystem>
#include <fstream>

#include "app/qt/plot_window.h"
#include "tests/app/qt/qt_test_support.h"
#include "window/plot.h"

namespace imm {
namespace {

using QtPlot = QtLayerTest;

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

TEST_F(QtPlot, SaveAsWritesAReadablePng) {
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

}  // namespace
}  // namespace imm
