#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/plots/msort.h"
#include "app/plots/rate_plot.h"
#include "tests/app/plots/plot_session.h"

namespace imm {
namespace {

using testing::PlotSession;

// The saturation table as the driver fills it.
void fill_saturation_table(double km, double vmax, const std::vector<double>& so) {
    a4.sat_km = km;
    a4.sat_vmax = vmax;
    for (std::size_t i = 0; i < so.size(); ++i) {
        a4.sat_so[i] = so[i];
    }
    double x = 0.0;
    for (std::size_t j = 0; j < a4.sat_curve_x.size(); ++j) {
        x += 0.1 * km;
        a4.sat_curve_x[j] = x;
        a4.sat_curve_y[j] = vmax * x / (x + km);
    }
    global_types.idatasets = static_cast<std::int64_t>(so.size());
}

TEST(Msort, DescendingOrAscendingBySelectionOfTheLargest) {
    using V = std::vector<double>;
    EXPECT_EQ(msort(V{3, 1, 2}, 0), (V{3, 2, 1}));
    EXPECT_EQ(msort(V{3, 1, 2}, 1), (V{1, 2, 3}));
    EXPECT_EQ(msort(V{5, -123456792.0, 7}, 0), (V{7, 5, 0}));
    EXPECT_EQ(msort(V{5, -123456792.0, 7}, 1), (V{0, 5, 7}));
    EXPECT_EQ(msort(V{5, -2e9, 7}, 0), (V{7, 5, 0}));
    EXPECT_EQ(msort(V{5, -123456791.0, 7}, 0), (V{7, 5, -123456791.0}));
    EXPECT_EQ(msort(V{2, 2, 1}, 0), (V{2, 2, 1}));
    EXPECT_EQ(msort(V{-123456792.0}, 0), (V{-123456792.0}));
    EXPECT_EQ(msort(V{}, 0), V{});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(msort(V{1, nan, 4}, 0), (V{4, 1, 0}));
}

TEST(RatePlot, PointsCurveRangesAndTexts) {
    PlotSession p;
    global_types.strmdl = "Model 2: Product vs time - Baseline   ";
    fill_saturation_table(10.0, 2.0, {50.0, 5.0, 20.0});
    satplot();

    const auto plots = p.plots();
    ASSERT_EQ(plots.size(), 1u);
    const PlotData& plot = plots[0];
    EXPECT_EQ(plot.title, "Model 2: Product vs time - Baseline\r\nSaturation Plot");
    EXPECT_EQ(plot.ylabel, "RATE");
    EXPECT_EQ(plot.xlabel, "[ S ]");
    // The curve runs from 1 to 100 and holds every point: the ranges come from it.
    EXPECT_EQ(plot.x.low, 0.0);
    EXPECT_EQ(plot.x.high, 110.00000238418579);
    EXPECT_EQ(plot.y.low, 0.0);
    EXPECT_EQ(plot.y.high, (2.0 * 100.0 / 110.0) * 1.100000023841858);

    ASSERT_EQ(plot.series.size(), 2u);
    const PlotSeries& points = plot.series[0];
    const PlotSeries& curve = plot.series[1];
    EXPECT_EQ(points.type, kSeriesLargeDots);
    EXPECT_EQ(curve.type, kSeriesLine);
    for (const PlotSeries& s : plot.series) {
        EXPECT_EQ(s.red, 0);
        EXPECT_EQ(s.green, 0);
        EXPECT_EQ(s.blue, 255);
        EXPECT_EQ(s.label, "");
    }
    // One point per curve at ([So], V [So] / ([So] + Km)), both in descending order.
    EXPECT_EQ(points.x, (std::vector<float>{50, 20, 5}));
    EXPECT_EQ(points.y, (std::vector<float>{static_cast<float>(100.0 / 60.0), static_cast<float>(40.0 / 30.0),
                                            static_cast<float>(10.0 / 15.0)}));
    ASSERT_EQ(curve.x.size(), 100u);
    EXPECT_EQ(curve.x.front(), 1.0f);
    EXPECT_EQ(curve.x.back(), 100.0f);
    EXPECT_EQ(curve.y.front(), static_cast<float>(2.0 / 11.0));
    EXPECT_EQ(getcurrentwindow(), p.main_window);
}

// An [So] beyond 10 Km: the x axis reaches 1.1 times it and the curve goes on to it.
TEST(RatePlot, SoBeyondTenKmWidensTheRangeAndTheCurveGoesOnToIt) {
    PlotSession p;
    fill_saturation_table(10.0, 2.0, {5.0, 500.0, 50.0});
    satplot();

    const PlotData plot = p.plots().at(0);
    EXPECT_EQ(plot.x.low, 0.0);
    EXPECT_EQ(plot.x.high, 550.000011920929);
    EXPECT_EQ(plot.y.low, 0.0);
    EXPECT_EQ(plot.y.high, (2.0 * 500.0 / 510.0) * 1.100000023841858);
    const PlotSeries& points = plot.series.at(0);
    const PlotSeries& curve = plot.series.at(1);
    EXPECT_EQ(points.x, (std::vector<float>{500, 50, 5}));
    for (std::size_t i = 0; i < points.x.size(); ++i) {
        EXPECT_GT(points.x[i], plot.x.low);
        EXPECT_LT(points.x[i], plot.x.high);
        EXPECT_GT(points.y[i], plot.y.low);
        EXPECT_LT(points.y[i], plot.y.high);
    }
    // The table's 100 points to 10 Km, then 100 more evenly to the largest [So].
    ASSERT_EQ(curve.x.size(), 200u);
    EXPECT_EQ(curve.x[99], 100.0f);
    EXPECT_EQ(curve.x[100], 104.0f);
    EXPECT_EQ(curve.x.back(), 500.0f);
    EXPECT_EQ(curve.y.back(), points.y.front());
    for (std::size_t j = 0; j < curve.x.size(); ++j) {
        EXPECT_FLOAT_EQ(curve.y[j], 2.0f * curve.x[j] / (curve.x[j] + 10.0f)) << j;
    }
}

TEST(RatePlot, TitleIsCutAtEightyCharacters) {
    PlotSession p;
    global_types.strmdl = std::string(75, 'M');
    fill_saturation_table(1.0, 1.0, {1, 2, 3});
    satplot();
    const std::string title = p.plots().at(0).title;
    EXPECT_EQ(title, std::string(75, 'M') + "\r\nSat");
}

}  // namespace
}  // namespace imm
