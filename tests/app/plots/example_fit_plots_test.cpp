// The three plots on the fit of the example file: every point lies inside the
// axes, and each plot draws the model that its title names.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/plots/rate_plot.h"
#include "app/plots/residual_plot.h"
#include "app/plots/xy_plot.h"
#include "app/program_fit.h"
#include "engine/report_section.h"
#include "model/models.h"
#include "tests/app/plots/plot_session.h"
#include "tests/working_folder.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

using testing::PlotSession;

using FittedParameters = std::map<std::int64_t, ParameterVector>;

// Fits the models to examples/example.in with the XY plot after each, as a Run does.
FittedParameters run_example(std::initializer_list<std::int64_t> models) {
    fs::copy_file(fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in", "example.in");
    for (auto& flag : global_types.imdl) flag = 0;
    for (const std::int64_t m : models) global_types.imdl[static_cast<std::size_t>(m - 1)] = 1;
    global_types.imdlno = *models.begin();
    global_types.brerun = false;
    global_types.nwt_global = 0;
    global_types.varsav.fill(0.0);

    FittedParameters fitted;
    RunOptions options = program_run_options();
    options.on_fit = [&fitted](std::int64_t model, const ModelFitResult& fit) { fitted[model] = fit.params; };
    RandomContext random = RandomContext::seeded(11);
    std::string name = "example.in";
    std::int64_t status = -1;
    sorvek_with(name, status, random, options);
    EXPECT_EQ(status, run_finished);
    return fitted;
}

// The model number that begins the plot's title ("1- ...").
std::int64_t titled_model(const PlotData& plot) {
    return plot.title.empty() ? 0 : plot.title[0] - '0';
}

// The model's fitted value for a row, clipped as the report keeps it.
float model_value(std::int64_t model, const ParameterVector& p, std::size_t row) {
    const std::int64_t kept = a1.nmdl;
    a1.nmdl = model;
    double value = func(a1.t[row], a1.so[row], a1.yobs[row], std::span(p).first(model == 1 || model == 4 ? 2 : 3));
    a1.nmdl = kept;
    clip_fitted_values(std::span(&value, 1));
    return static_cast<float>(value);
}

void expect_dots_inside_the_axes(const PlotData& plot) {
    ASSERT_FALSE(plot.x.automatic) << plot.title;
    ASSERT_FALSE(plot.y.automatic) << plot.title;
    for (const PlotSeries& series : plot.series) {
        if (series.type != kSeriesLargeDots) continue;
        for (std::size_t i = 0; i < series.x.size(); ++i) {
            EXPECT_GE(series.x[i], plot.x.low) << plot.title << ", point " << i;
            EXPECT_LE(series.x[i], plot.x.high) << plot.title << ", point " << i;
            EXPECT_GE(series.y[i], plot.y.low) << plot.title << ", point " << i;
            EXPECT_LE(series.y[i], plot.y.high) << plot.title << ", point " << i;
        }
    }
}

// The line series of an XY plot are the fitted values of the titled model, curve after curve.
void expect_xy_draws_its_titled_model(const PlotData& plot, const FittedParameters& fitted) {
    const std::int64_t model = titled_model(plot);
    ASSERT_TRUE(fitted.contains(model)) << plot.title;
    EXPECT_EQ(plot.ylabel, model <= 3 ? "PRODUCT" : "SUBSTRATE") << plot.title;
    std::size_t row = 0;
    for (std::size_t s = 1; s < plot.series.size(); s += 2) {
        for (const float y : plot.series[s].y) {
            EXPECT_FLOAT_EQ(y, model_value(model, fitted.at(model), row)) << plot.title << ", row " << row;
            ++row;
        }
    }
    EXPECT_EQ(row, 27u);
}

// Models 1 and 4: model 1 follows the rising product and ranks first; model 4,
// fitted last, cannot follow it. After the run every plot draws model 1.
TEST(ExampleFitPlots, EveryPointInsideTheAxesAndTheTitledModelDrawn) {
    const test::WorkingFolder folder("sorvek_example_plots_");
    PlotSession p;
    const FittedParameters fitted = run_example({1, 4});
    ASSERT_EQ(fitted.size(), 2u);
    ASSERT_EQ(a1.nmdl, 1);
    ASSERT_EQ(global_types.imdlno, 4);
    const ParameterVector& best = fitted.at(1);
    // Km about 8.4: [So] = 100 and 500 lie beyond 10 Km.
    EXPECT_NEAR(best[0], 8.4, 0.5);

    xyplot();
    satplot();
    resplot();
    const std::vector<PlotData> plots = p.plots();
    ASSERT_EQ(plots.size(), 5u);
    for (const PlotData& plot : plots) {
        expect_dots_inside_the_axes(plot);
    }
    EXPECT_EQ(p.session.record().plots_beside, std::vector<std::int64_t>(5, p.main_window));

    // The XY plots after each model, and on demand after the run.
    EXPECT_EQ(titled_model(plots[0]), 1);
    EXPECT_EQ(titled_model(plots[1]), 4);
    EXPECT_EQ(titled_model(plots[2]), 1);
    for (std::size_t k = 0; k < 3; ++k) {
        expect_xy_draws_its_titled_model(plots[k], fitted);
    }

    // The rate plot: every curve's point and the curve of the titled model up to
    // the largest [So].
    const PlotData& rate = plots[3];
    ASSERT_EQ(titled_model(rate), 1);
    EXPECT_EQ(rate.xlabel, "[ S ]");
    EXPECT_EQ(rate.x.low, 0.0);
    EXPECT_EQ(rate.x.high, 500.0 * 1.100000023841858);
    const PlotSeries& points = rate.series.at(0);
    const PlotSeries& curve = rate.series.at(1);
    EXPECT_EQ(points.x, (std::vector<float>{500, 100, 50}));
    const auto rate_at = [&best](double s) { return static_cast<float>(best[1] * s / (s + best[0])); };
    for (std::size_t i = 0; i < points.x.size(); ++i) {
        EXPECT_FLOAT_EQ(points.y[i], rate_at(points.x[i])) << i;
    }
    EXPECT_EQ(curve.x.back(), 500.0f);
    for (std::size_t j = 0; j < curve.x.size(); ++j) {
        EXPECT_FLOAT_EQ(curve.y[j], rate_at(curve.x[j])) << j;
    }

    // The residual plot: calculated minus observed value of the titled model.
    const PlotData& residuals = plots[4];
    ASSERT_EQ(titled_model(residuals), 1);
    const PlotSeries& dots = residuals.series.at(0);
    ASSERT_EQ(dots.y.size(), 27u);
    for (std::size_t i = 0; i < dots.y.size(); ++i) {
        EXPECT_NEAR(dots.y[i], model_value(1, best, i) - static_cast<float>(a1.yobs[i]), 1e-4) << "row " << i;
    }
}

}  // namespace
}  // namespace imm
