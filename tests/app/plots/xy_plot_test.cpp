#include <gtest/gtest.h>

#include "app/plots/axis_scaling.h"
#include "app/plots/xy_plot.h"
#include "tests/app/plots/plot_session.h"

namespace imm {
namespace {

using testing::PlotSession;
using testing::Row;

struct Colour {
    std::int64_t red, green, blue;
    bool operator==(const Colour&) const = default;
};

Colour colour_of(const PlotSeries& s) {
    return {s.red, s.green, s.blue};
}

// Curves of three rows each, [So] = 10 (k + 1), times 10, 20, 30 + 100 k.
std::vector<Row> curves_of_three_rows(int count) {
    std::vector<Row> rows;
    for (int k = 0; k < count; ++k) {
        for (int j = 1; j <= 3; ++j) {
            rows.push_back({10.0 * j + 100.0 * k, 10.0 * (k + 1), 1.0 + j + k, 1.5 + j + k});
        }
    }
    return rows;
}

TEST(XyPlot, OneCurveGivesBlueDotsWithLegendAndABlueLineWithoutLabel) {
    PlotSession p;
    global_types.strmdl = "  Model 1: Product vs time        ";
    p.set_rows({{0, 50, 2, 2.5}, {120, 50, 30, 29}, {360, 50, 50, 51}});
    xyplot();

    const auto plots = p.plots();
    ASSERT_EQ(plots.size(), 1u);
    const PlotData& plot = plots[0];
    EXPECT_EQ(plot.title, "Model 1: Product vs time");
    EXPECT_EQ(plot.xlabel, "TIME");
    EXPECT_EQ(plot.ylabel, "PRODUCT");
    EXPECT_FALSE(plot.y_logarithmic);
    ASSERT_EQ(plot.series.size(), 2u);
    const PlotSeries& dots = plot.series[0];
    const PlotSeries& line = plot.series[1];
    EXPECT_EQ(dots.type, kSeriesLargeDots);
    EXPECT_EQ(line.type, kSeriesLine);
    EXPECT_EQ(colour_of(dots), (Colour{0, 0, 255}));
    EXPECT_EQ(colour_of(line), (Colour{0, 0, 255}));
    EXPECT_EQ(dots.label, "[So] =50.0000000");
    EXPECT_EQ(line.label, "");
    EXPECT_EQ(dots.x, (std::vector<float>{0, 120, 360}));
    EXPECT_EQ(dots.y, (std::vector<float>{2, 30, 50}));
    EXPECT_EQ(line.x, dots.x);
    EXPECT_EQ(line.y, (std::vector<float>{2.5, 29, 51}));

    // Observed 2 to 50 over times 0 to 360.
    EXPECT_FALSE(plot.x.automatic);
    EXPECT_EQ(plot.x.low, 0.0);
    EXPECT_EQ(plot.x.high, 396.00000858306885);
    EXPECT_FALSE(plot.y.automatic);
    EXPECT_EQ(plot.y.low, 0.0);
    EXPECT_EQ(plot.y.high, 60.00000238418579);
}

TEST(XyPlot, SoWithinOneTenMillionthStaysInTheCurve) {
    PlotSession p;
    p.set_rows({{1, 10.0000005, 1, 1}, {2, 10.0, 2, 2}, {3, 10.000002, 3, 3}, {4, 10.000002, 4, 4}});
    xyplot();
    const auto series = p.plots().at(0).series;
    ASSERT_EQ(series.size(), 4u);
    EXPECT_EQ(series[0].x, (std::vector<float>{1, 2}));
    EXPECT_EQ(series[2].x, (std::vector<float>{3, 4}));
    // A curve's [So] is that of its last row.
    EXPECT_EQ(series[0].label, "[So] =10.0000000");

    // The part of the larger [So] counts, not the difference itself.
    PlotSession q;
    q.set_rows({{1, 100.0, 1, 1}, {2, 100.00001, 2, 2}, {3, 100.0, 3, 3}});
    xyplot();
    EXPECT_EQ(q.plots().at(0).series.size(), 2u);
}

TEST(XyPlot, ColoursFollowTheCurveTableAndOnlyTenCurvesAreDrawn) {
    const std::vector<Colour> table = {{0, 0, 255},     {255, 127, 255}, {255, 127, 64}, {0, 255, 255},
                                       {127, 0, 255},   {255, 0, 255},   {127, 64, 255}, {64, 127, 127},
                                       {127, 64, 127}, {127, 127, 127}};
    PlotSession p;
    p.set_rows(curves_of_three_rows(12));
    xyplot();
    const PlotData plot = p.plots().at(0);
    ASSERT_EQ(plot.series.size(), 20u);
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_EQ(colour_of(plot.series[2 * k]), table[k]) << "curve " << k + 1;
        EXPECT_EQ(colour_of(plot.series[2 * k + 1]), table[k]) << "curve " << k + 1;
        EXPECT_EQ(plot.series[2 * k].type, kSeriesLargeDots);
        EXPECT_EQ(plot.series[2 * k + 1].type, kSeriesLine);
        EXPECT_EQ(plot.series[2 * k].x.front(), 10.0f + 100.0f * k);
    }
    EXPECT_EQ(plot.series[18].label, "[So] =100.000000");
    // Curves 11 and 12 (times up to 1130) take no part in the ranges either.
    EXPECT_EQ(plot.x.high, 930.0 * 1.100000023841858);
    EXPECT_EQ(plot.y.high, 13.0 * 1.2000000476837158);

    PlotSession q;
    q.set_rows(curves_of_three_rows(7));
    xyplot();
    const PlotData seven = q.plots().at(0);
    ASSERT_EQ(seven.series.size(), 14u);
    EXPECT_EQ(colour_of(seven.series[12]), (Colour{127, 64, 255}));
    EXPECT_EQ(colour_of(seven.series[13]), (Colour{127, 64, 255}));
    EXPECT_EQ(seven.series[12].label, "[So] =70.0000000");
    EXPECT_EQ(seven.series[13].label, "");
}

// Below -0.1 times the largest observed value (-5 to 20), or all below zero (-4
// to -1): the range is widened to the observed values before it is rounded.
TEST(XyPlot, YRangeIsRoundedWhenSmallOrNegativeAndHoldsEveryObservedValue) {
    struct Case {
        double low, high, y_low, y_high;
    };
    for (const Case c : {Case{0.1, 0.5, 0.05, 0.6000000238418579}, Case{-0.2, 4, -0.5, 5}, Case{0, 0.8, 0, 1},
                         Case{-5, 20, -6, 24.000000953674316}, Case{-4, -1, -4, -1}}) {
        PlotSession p;
        p.set_rows({{1, 5, c.low, 0}, {2, 5, (c.low + c.high) / 2, 0}, {3, 5, c.high, 0}});
        xyplot();
        const PlotData plot = p.plots().at(0);
        EXPECT_EQ(plot.y.low, c.y_low) << c.low << " to " << c.high;
        EXPECT_EQ(plot.y.high, c.y_high) << c.low << " to " << c.high;
    }
}

TEST(XyPlot, XRangeFollowsTheDataWhenSmallOrNegative) {
    PlotSession p;
    p.set_rows({{-5, 5, 1, 1}, {5, 5, 2, 2}, {10, 5, 3, 3}});
    xyplot();
    EXPECT_TRUE(p.plots().at(0).x.automatic);

    PlotSession q;
    q.set_rows({{0.1, 5, 1, 1}, {0.5, 5, 2, 2}, {0.9, 5, 3, 3}});
    xyplot();
    EXPECT_TRUE(q.plots().at(0).x.automatic);
}

TEST(XyPlot, AllObservedZeroGivesAFiniteRange) {
    PlotSession p;
    p.set_rows({{1, 5, 0, 0}, {2, 5, 0, 0}, {3, 5, 0, 0}});
    xyplot();
    const PlotData plot = p.plots().at(0);
    EXPECT_LT(plot.y.low, 0.0);
    EXPECT_GT(plot.y.high, 0.0);
}

TEST(XyPlot, SubstrateModelsLabelTheYAxisSubstrate) {
    for (std::int64_t model = 1; model <= 6; ++model) {
        PlotSession p;
        // The model of the rows drawn, whatever model was fitted last.
        a1.nmdl = model;
        global_types.imdlno = 7 - model;
        p.set_rows({{1, 5, 3, 3}, {2, 5, 2, 2}, {3, 5, 1, 1}});
        xyplot();
        EXPECT_EQ(p.plots().at(0).ylabel, model <= 3 ? "PRODUCT" : "SUBSTRATE") << model;
    }
}

TEST(XyPlot, LegendTextsUseNineSignificantDigits) {
    EXPECT_EQ(so_legend(50), "[So] =50.0000000");
    EXPECT_EQ(so_legend(0.5), "[So] =0.500000000");
    EXPECT_EQ(so_legend(1000), "[So] =1000.00000");
    EXPECT_EQ(so_legend(0), "[So] =0.00000000");
    EXPECT_EQ(so_legend(0.05), "[So] =0.500000007E-01");
    EXPECT_EQ(so_legend(0.1), "[So] =0.100000001");
    EXPECT_EQ(so_legend(123456789), "[So] =123456792.");
    EXPECT_EQ(so_legend(1e9), "[So] =0.100000000E+10");
    EXPECT_EQ(so_legend(-2.5), "[So] =-2.50000000");
}

TEST(XyPlot, LogarithmicFlagAndTextsOfPlot) {
    PlotSession p;
    XyCurves curves;
    curves.count = 2;
    curves.rows = 2;
    curves.so = {1, 2};
    curves.points = {2, 1};
    curves.x1 = {1, 2, 3, -99};  // the unused cell of curve 2 is not drawn
    curves.y1 = {10, 20, 30, -99};
    curves.yc1 = {11, 21, 31, -99};
    XyTexts texts;
    texts[0] = "Title  ";
    plot(curves, texts, true);
    const PlotData drawn = p.plots().at(0);
    EXPECT_TRUE(drawn.y_logarithmic);
    EXPECT_EQ(drawn.y_log_base, 10.0);
    EXPECT_EQ(drawn.title, "Title");
    EXPECT_EQ(texts[1], "[So] =1.00000000");
    EXPECT_EQ(texts[2], "[So] =2.00000000");
    ASSERT_EQ(drawn.series.size(), 4u);
    EXPECT_EQ(drawn.series[2].x, (std::vector<float>{3}));
    EXPECT_EQ(drawn.series[3].y, (std::vector<float>{31}));
}

TEST(XyPlot, ClosesChildWindowsAndLeavesTheMainWindowCurrent) {
    PlotSession p;
    const std::int64_t child = initwindow(100, 100, "Child", 0, 0, false);
    global_types.child_windows[4] = child;
    p.set_rows({{1, 5, 1, 1}, {2, 5, 2, 2}, {3, 5, 3, 3}});
    xyplot();
    EXPECT_EQ(getcurrentwindow(), p.main_window);
    EXPECT_EQ(global_types.child_windows[4], -1);
    const auto record = p.session.record();
    EXPECT_FALSE(record.windows.at(child).open);
    EXPECT_TRUE(record.windows.at(p.main_window).open);
    EXPECT_EQ(record.windows.at(p.main_window).background, 0xFFFFFF);
}

TEST(XyPlot, NoRowsDrawsNothing) {
    PlotSession p;
    xyplot();
    EXPECT_TRUE(p.plots().empty());
}

TEST(AxisScaling, ScaleAxis1RoundsToStepsOfOneTwoOrFive) {
    const AxisScale a = scaleaxis1(0.05, 0.6000000238418579, 10);
    EXPECT_EQ(a.step, 0.05);
    EXPECT_EQ(a.low, 0.05);
    EXPECT_EQ(a.high, 0.6000000238418579);  // the rounded 0.6 lies below b

    const AxisScale b = scaleaxis1(-0.4000000059604645, 4.800000190734863, 10);
    EXPECT_EQ(b.step, 0.5);
    EXPECT_EQ(b.low, -0.5);
    EXPECT_EQ(b.high, 5.0);

    // Reversed bounds and a default interval count: (1, 5) in 5 steps of 1.
    const AxisScale c = scaleaxis1(5, 1, 0);
    EXPECT_EQ(c.step, 1.0);
    EXPECT_EQ(c.low, 1.0);
    EXPECT_EQ(c.high, 5.0);

    // Step 2 between sqrt(2) and sqrt(10): 0 to 17 in 10 intervals.
    const AxisScale d = scaleaxis1(0, 17, 10);
    EXPECT_EQ(d.step, 2.0);
    EXPECT_EQ(d.low, 0.0);
    EXPECT_EQ(d.high, 18.0);

    // Equal bounds are widened around the value.
    const AxisScale e = scaleaxis1(3, 3, 10);
    EXPECT_LE(e.low, 3.0 - 2e-6);
    EXPECT_GE(e.high, 3.0 + 2e-6);
    EXPECT_LT(e.high - e.low, 1e-5);
}

}  // namespace
}  // namespace imm
