#include <gtest/gtest.h>

#include <vector>

#include "window/headless_backend.h"
#include "window/plot.h"

namespace imm {
namespace {

TEST(HeadlessPlot, RecordsSettingsAndSeriesInSinglePrecision) {
    HeadlessSession session;
    plot_t plot = initialize_plot();
    set_ylinear(plot);
    set_xscale(plot, 0.0, 396.00000858306885);
    set_yscale(plot, -0.5, 5.0);
    set_title(plot, "Model 1   ");
    set_xlabel(plot, "TIME ");
    set_ylabel(plot, "PRODUCT ");
    const std::vector<double> t{0.0, 40.0, 120.0};
    const std::vector<double> y{0.1, 13.746, 32.728, 99.0};  // one longer: cut to three
    add_dataset(plot, t, y);
    set_seriescolor(plot, 0, 0, 0, 255);
    set_seriestype(plot, 0, kSeriesLargeDots);
    set_serieslabel(plot, 0, "[So] =50.0000000");
    add_dataset(plot, t, t);
    set_seriestype(plot, 1, 7);   // not a type: unchanged
    set_seriestype(plot, 5, 1);   // no such series
    set_serieslabel(plot, 1, " ");
    display_plot(plot);
    destroy_plot(plot);
    EXPECT_FALSE(plot);

    const auto plots = session.record().plots;
    ASSERT_EQ(plots.size(), 1u);
    const PlotData& shown = plots[0];
    EXPECT_EQ(shown.title, "Model 1");
    EXPECT_EQ(shown.xlabel, "TIME");
    EXPECT_EQ(shown.ylabel, "PRODUCT");
    EXPECT_FALSE(shown.y_logarithmic);
    EXPECT_FALSE(shown.x.automatic);
    EXPECT_EQ(shown.x.high, 396.00000858306885);
    EXPECT_EQ(shown.y.low, -0.5);
    ASSERT_EQ(shown.series.size(), 2u);
    ASSERT_EQ(shown.series[0].y.size(), 3u);
    EXPECT_EQ(shown.series[0].y[0], 0.1f);
    EXPECT_NE(static_cast<double>(shown.series[0].y[0]), 0.1);
    EXPECT_EQ(shown.series[0].type, kSeriesLargeDots);
    EXPECT_EQ(shown.series[0].blue, 255);
    EXPECT_EQ(shown.series[0].label, "[So] =50.0000000");
    EXPECT_EQ(shown.series[1].type, kSeriesLine);
    EXPECT_EQ(shown.series[1].label, "");
}

TEST(HeadlessPlot, AxisKindsAndAutoscale) {
    HeadlessSession session;
    plot_t plot = initialize_plot();
    set_ylogarithmic(plot);
    set_xscale(plot, 1.0, 2.0);
    set_xautoscale(plot);
    display_plot(plot);
    set_ylinear(plot);
    display_plot(plot);
    const auto plots = session.record().plots;
    ASSERT_EQ(plots.size(), 2u);
    EXPECT_TRUE(plots[0].y_logarithmic);
    EXPECT_EQ(plots[0].y_log_base, 10.0);
    EXPECT_TRUE(plots[0].x.automatic);
    EXPECT_TRUE(plots[0].y.automatic);
    EXPECT_FALSE(plots[1].y_logarithmic);
}

TEST(HeadlessPlot, AnEmptyHandleIsIgnored) {
    HeadlessSession session;
    plot_t plot;
    set_title(plot, "x");
    add_dataset(plot, std::vector<double>{1.0}, std::vector<double>{1.0});
    set_seriestype(plot, 0, 1);
    display_plot(plot);
    destroy_plot(plot);
    EXPECT_TRUE(session.record().plots.empty());
}

}  // namespace
}  // namespace imm
