#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/plots/axis_scaling.h"
#include "app/plots/residual_plot.h"
#include "tests/app/plots/plot_session.h"

namespace imm {
namespace {

using testing::PlotSession;

// The y axis of the residual plot for these residuals.
AxisRange y_axis_for(const std::vector<double>& residuals) {
    PlotSession p;
    std::vector<double> rows;
    for (std::size_t i = 1; i <= residuals.size(); ++i) {
        rows.push_back(static_cast<double>(i));
    }
    plot_residuals(rows, residuals);
    return p.plots().at(0).y;
}

TEST(ResidualPlot, SeriesTitleAndLabels) {
    PlotSession p;
    global_types.strmdl = " Model 4: Substrate vs time   ";
    // Calculated above observed gives a positive residual.
    p.set_rows({{0, 5, 1.0, 1.5}, {1, 5, 2.0, 1.75}, {2, 5, 3.0, 3.0}});
    resplot();

    const auto plots = p.plots();
    ASSERT_EQ(plots.size(), 1u);
    const PlotData& plot = plots[0];
    EXPECT_EQ(plot.title, "Model 4: Substrate vs time\r\nResiduals Plot");
    EXPECT_EQ(plot.ylabel, "RESIDUAL");
    EXPECT_EQ(plot.xlabel, "NUMBER");
    ASSERT_EQ(plot.series.size(), 2u);
    EXPECT_EQ(plot.series[0].x, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(plot.series[0].y, (std::vector<float>{0.5, -0.25, 0}));
    EXPECT_EQ(plot.series[0].type, kSeriesLargeDots);
    EXPECT_EQ(plot.series[1].x, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(plot.series[1].y, (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(plot.series[1].type, kSeriesLine);
    for (const PlotSeries& s : plot.series) {
        EXPECT_EQ(s.red, 0);
        EXPECT_EQ(s.green, 0);
        EXPECT_EQ(s.blue, 255);
        EXPECT_EQ(s.label, "");
    }
    EXPECT_EQ(getcurrentwindow(), p.main_window);
}

TEST(ResidualPlot, XAxisEndsAtOnePointOneTimesTheRowCount) {
    PlotSession p;
    std::vector<testing::Row> rows;
    for (int i = 0; i < 27; ++i) {
        rows.push_back({static_cast<double>(i), 5, static_cast<double>(i), i + (i % 2 ? 0.1 : -0.1)});
    }
    p.set_rows(rows);
    resplot();
    const PlotData plot = p.plots().at(0);
    EXPECT_EQ(plot.x.low, 0.0);
    EXPECT_EQ(plot.x.high, 29.700000643730164);
}

TEST(ResidualPlot, TopOfTheYAxisIsRoundedUpFromTheLargestResidualAndTheBottomHoldsTheSmallest) {
    struct Case {
        double low, high, step, top, bottom;
    };
    const Case cases[] = {
        {-0.3, 0.5, 0.25, 0.75, -0.7874999642372131},
        {0.2, 0.9, 0.5, 1.5, -1.5749999284744263},
        {-1.2, 0.8, 1.0, 2.0, -2.0999999046325684},
        // -5 lies below -1.05 times the top: the axis reaches down to 1.05 times
        // 5 rounded up to a whole step.
        {-5.0, 0.5, 2.5, 2.5, -5.249999761581421},
    };
    for (const Case& c : cases) {
        const std::vector<double> residuals = {c.low, (c.low + c.high) / 2, c.high};
        const AxisScale scale = scale_axis(residuals);
        EXPECT_EQ(scale.step, c.step) << c.low << " to " << c.high;
        EXPECT_EQ(scale.high, c.top) << c.low << " to " << c.high;
        const AxisRange axis = y_axis_for(residuals);
        EXPECT_EQ(axis.low, c.bottom) << c.low << " to " << c.high;
        EXPECT_EQ(axis.high, c.top) << c.low << " to " << c.high;
    }
    // -0.3, 0.1 and 0.05: step 0.25 and top 0.25; -0.3 rounds up to 0.5.
    const AxisRange axis = y_axis_for({-0.3, 0.1, 0.05});
    EXPECT_EQ(axis.low, -0.5249999761581421);
    EXPECT_EQ(axis.high, 0.25);
    // Below the top's mirror but inside -1.05 times the top: the axis stays.
    EXPECT_EQ(y_axis_for({-1.04, 0.5}).low, -1.0499999523162842);
    // The low end: -0.3 to 0.5 gives q = 0 and a bottom of 0.
    EXPECT_EQ(scale_axis(std::vector<double>{-0.3, 0.5}).low, 0.0);
}

TEST(ResidualPlot, DegenerateResidualsGiveAFiniteRangeHoldingThem) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::vector<double>> cases = {
        {0.0, 0.0, 0.0},        // a perfect fit
        {0.3, 0.3, 0.3},        // all equal
        {0.3},                  // a single row
        {-0.5, -0.2, -0.35},    // all negative
        {-2.0, 0.0, -1.0},      // none above zero
        {-4.0},                 // a single negative row
        {nan, nan},             // nothing finite
        {nan, 0.2, 0.7},        // a value that is not a number is passed over
    };
    for (const auto& residuals : cases) {
        const AxisRange axis = y_axis_for(residuals);
        ASSERT_TRUE(std::isfinite(axis.low) && std::isfinite(axis.high));
        EXPECT_GT(axis.high, 0.0);
        EXPECT_LT(axis.low, 0.0);
        for (const double r : residuals) {
            if (!std::isnan(r)) {
                EXPECT_GE(r, axis.low);
                EXPECT_LE(r, axis.high);
            }
        }
    }
    EXPECT_EQ(scale_axis(std::vector<double>{0.0, 0.0}).high, 1.0);
    // All negative: scaled as magnitudes 0 to 0.5, step 0.25, top 0.75.
    EXPECT_EQ(scale_axis(std::vector<double>{-0.5, -0.2}).high, 0.75);
    // All equal 0.3: scaled from 0 to 0.3, step 0.2, top (nint(1.4999999999999998) + 1) 0.2.
    EXPECT_EQ(scale_axis(std::vector<double>{0.3, 0.3}).high, 0.4);
}

TEST(ResidualPlot, NoRowsDrawsNothing) {
    PlotSession p;
    resplot();
    EXPECT_TRUE(p.plots().empty());
}

}  // namespace
}  // namespace imm
