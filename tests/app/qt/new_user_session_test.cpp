// A new user's first session with the real program: open the example file,
// choose the product models, run, close each XY plot as it comes, read the
// report, then look at the rate and residual plots.
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QXYSeries>
#include <filesystem>
#include <random>

#include "app/main_program.h"
#include "app/qt/plot_window.h"
#include "support/shared_blocks.h"
#include "tests/app/qt/qt_test_support.h"

namespace imm {
namespace {

using QtNewUser = QtLayerTest;

const QString kTitle = "Sorvek-IMM: Enzyme Progress of Reaction Modeling Software";
struct ModelNames {
    std::string section;  // the report section's name
    std::string title;    // the plots' and the ranking's
};
const std::array<ModelNames, 3> kProductModels = {{
    {"1- Product vs time Integrated Michaelis-Menten:", "1- [Pt] vs time Michaelis-Menten"},
    {"2- Product vs time Integrated Michaelis-Menten - baseline:", "2- [Pt] vs time Michaelis-Menten - Bkg"},
    {"3- Product vs (time + t0) Integrated Michaelis-Menten:", "3- [Pt] vs (time + t0) Michaelis-Menten"},
}};

// A fresh folder holding a copy of the example file, removed at the end.
class ExampleFolder {
public:
    ExampleFolder()
        : folder_(std::filesystem::temp_directory_path() / ("sorvek_new_user_" + std::to_string(std::random_device{}()))),
          before_(std::filesystem::current_path()) {
        std::filesystem::create_directories(folder_);
        std::filesystem::copy_file(std::filesystem::path(SORVEK_SOURCE_DIR) / "examples" / "example.in", data());
    }
    ~ExampleFolder() {
        std::filesystem::current_path(before_);  // opening a file moves the working folder
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::filesystem::path data() const { return folder_ / "example.in"; }
    std::filesystem::path report() const { return folder_ / "example.out"; }

private:
    std::filesystem::path folder_;
    std::filesystem::path before_;
};

PlotWindow* shown_plot() { return find_window<PlotWindow>(); }

// The number of points of each series the plot draws.
std::vector<int> series_points(PlotWindow* plot) {
    std::vector<int> points;
    auto* view = plot->findChild<QChartView*>();
    if (!view) {
        return points;
    }
    for (QAbstractSeries* series : view->chart()->series()) {
        auto* xy = dynamic_cast<QXYSeries*>(series);
        points.push_back(xy ? static_cast<int>(xy->count()) : -1);
    }
    return points;
}

std::vector<bool> radio_states(QWidget* selection) {
    std::vector<bool> states;
    for (QRadioButton* button : selection->findChildren<QRadioButton*>()) {
        states.push_back(button->isChecked());
    }
    return states;
}

// Shows a plot on demand through the bar entry, saves a screenshot of it in the
// build folder once it is drawn, and closes it; its window title and series
// sizes come back. It opens beside the main window, clear of its menu bar.
std::pair<QString, std::vector<int>> look_at_plot(LayerWindow* main, const QString& entry,
                                                  const std::string& screenshot) {
    PlotWindow* plot = nullptr;
    if (!choose_until(bar_action(main, entry), [&] { return (plot = shown_plot()) != nullptr; })) {
        return {};
    }
    const QRect menu_bar(main->menuBar()->mapToGlobal(QPoint(0, 0)), main->menuBar()->size());
    EXPECT_FALSE(plot->frameGeometry().intersects(menu_bar)) << entry.toStdString();
    EXPECT_TRUE(main->screen()->availableGeometry().contains(plot->frameGeometry())) << entry.toStdString();
    auto* view = plot->findChild<QChartView*>();
    EXPECT_TRUE(view && pump_until([&] { return view->updatesEnabled(); }));
    EXPECT_EQ(plot->save_image(screenshot_file(screenshot)), QString());
    std::pair<QString, std::vector<int>> seen{plot->windowTitle(), series_points(plot)};
    plot->close();
    return seen;
}

TEST_F(QtNewUser, OpensTheExampleFitsProductModelsAndLooksAtEveryPlot) {
    const ExampleFolder folder;
    for (auto& flag : global_types.imdl) {
        flag = 0;
    }
    ProgramThread program([] { main_program(ProgramOptions{}); });

    LayerWindow* main = main_window_after_splash();
    ASSERT_NE(main, nullptr);
    auto* area = main->findChild<QPlainTextEdit*>();
    ASSERT_NE(area, nullptr);

    // The selection window's buttons form one group: "Product" is how a user
    // gets several models at once.
    LayerWindow* selection = open_model_selection(main);
    ASSERT_NE(selection, nullptr);
    EXPECT_EQ(radio_states(selection), std::vector<bool>(6, false));
    push_button(selection, "Product")->click();
    ASSERT_TRUE(pump_until([&] { return radio_states(selection) == std::vector<bool>{true, true, true, false, false, false}; }));
    push_button(selection, "Close")->click();
    ASSERT_TRUE(pump_until([&] { return window_titled("Select Models") == nullptr && bar_action(main, "Run")->isEnabled(); }));

    QFileDialog* dialog = nullptr;
    ASSERT_TRUE(choose_until(bar_action(main, "OpenData"), [&] { return (dialog = find_window<QFileDialog>()) != nullptr; }));
    emit dialog->fileSelected(QString::fromStdString(folder.data().string()));
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    ASSERT_TRUE(pump_until([&] { return main->windowTitle() == QString::fromStdString(folder.data().string()); }));

    // Each model's XY plot waits for its window to close before the next model is fitted.
    std::vector<std::string> xy_titles;
    std::vector<std::vector<int>> xy_points;
    QMessageBox* box = nullptr;
    ASSERT_TRUE(choose_until(bar_action(main, "Run"), [&] {
        if (PlotWindow* plot = shown_plot()) {
            xy_titles.push_back(plot->windowTitle().toStdString());
            xy_points.push_back(series_points(plot));
            plot->close();
        }
        box = find_window<QMessageBox>();
        return box || (main->windowTitle() == kTitle && bar_action(main, "Rerun")->isEnabled());
    }));
    ASSERT_EQ(box, nullptr) << box->text().toStdString();
    EXPECT_EQ(xy_titles, (std::vector<std::string>{kProductModels[0].title, kProductModels[1].title,
                                                   kProductModels[2].title}));
    // Dots and fitted line of each of the three curves of nine rows.
    EXPECT_EQ(xy_points, std::vector<std::vector<int>>(3, std::vector<int>(6, 9)));

    const std::string record = "   Results written to " + folder.report().string() + "\n";
    const std::string written = file_text(folder.report());
    ASSERT_TRUE(written.ends_with(record)) << written;
    const std::string report = written.substr(0, written.size() - record.size());
    std::size_t from = 0;
    for (const ModelNames& model : kProductModels) {
        const std::size_t section = report.find("MODEL NAME:  " + model.section, from);
        ASSERT_NE(section, std::string::npos) << model.section << "\n" << report;
        from = section;
    }
    const std::size_t summary = report.find("Sorvek-IMM BEST-FIT MODEL SUMMARY:", from);
    ASSERT_NE(summary, std::string::npos) << report;
    // One row for each model, ranked 1 to 3 from the lowest AICc; the close
    // AICc values of the example may rank them in either order.
    std::istringstream rows(report.substr(summary));
    std::string row;
    std::vector<std::string> ranks;
    std::string best;
    while (std::getline(rows, row)) {
        for (const ModelNames& model : kProductModels) {
            if (row.find("  " + model.title + " ") != std::string::npos) {
                ranks.push_back(row.substr(0, 8));
                if (ranks.back() == "       1") {
                    best = model.title;
                }
            }
        }
    }
    EXPECT_EQ(ranks, (std::vector<std::string>{"       1", "       2", "       3"})) << report.substr(summary);
    EXPECT_EQ(area->toPlainText(), shown_report(report));

    // On demand, from what the run left: the best model's data, saturation table and residuals.
    const auto [xy_title, xy_on_demand] = look_at_plot(main, "XY_Plot", "example_xy_plot.png");
    EXPECT_EQ(xy_title.toStdString(), best);
    EXPECT_EQ(xy_on_demand, std::vector<int>(6, 9));
    const auto [rate_title, rate_points] = look_at_plot(main, "Rate_Plot", "example_rate_plot.png");
    EXPECT_EQ(rate_title.toStdString(), best + " Saturation Plot");
    ASSERT_EQ(rate_points.size(), 2u);
    EXPECT_EQ(rate_points[0], 3);  // one rate for each curve
    EXPECT_GT(rate_points[1], 3);
    const auto [residual_title, residual_points] = look_at_plot(main, "Residuals", "example_residual_plot.png");
    EXPECT_EQ(residual_title.toStdString(), best + " Residuals Plot");
    EXPECT_EQ(residual_points, (std::vector<int>{27, 27}));

    ASSERT_TRUE(choose_until(bar_action(main, "Quit"), [&] { return program.done(); }));
    ASSERT_TRUE(program.finish());
}

}  // namespace
}  // namespace imm
