#include "breakpoint/breakpoint.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <set>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <boost/math/special_functions/lambert_w.hpp>
#include <gtest/gtest.h>

#include "engine/report_section.h"
#include "support/unit_table.h"
#include "tests/reference/break_grid_data.h"

namespace imm {
namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();

// Product of the integrated Michaelis-Menten equation: So - Km W((So/Km) e^((So - Vm t)/Km)).
double product(double t, double so, double km, double vm)
{
    return so - km * boost::math::lambert_w0((so / km) * std::exp((so - vm * t) / km));
}

struct Curves {
    std::vector<std::int64_t> points;
    std::vector<double> t;
    std::vector<double> ycalc;
    std::vector<double> so;
};

// Curves of model 1 (or their substrate mirror) with Km = 1, Vm = 0.3375, t = 0 to 40 by 0.5.
Curves model_curves(std::vector<double> so_values, bool substrate = false)
{
    Curves c;
    for (const double so : so_values) {
        c.points.push_back(81);
        c.so.push_back(so);
        for (int i = 0; i <= 80; ++i) {
            const double t = 0.5 * i;
            const double p = product(t, so, 1.0, 0.3375);
            c.t.push_back(t);
            c.ycalc.push_back(substrate ? so - p : p);
        }
    }
    return c;
}

BreakpointInput input_of(const Curves& c, std::int64_t model)
{
    BreakpointInput input;
    input.model = model;
    input.curve_sign = model <= 3 ? 1.0 : -1.0;
    input.points = c.points;
    input.t = c.t;
    input.ycalc = c.ycalc;
    input.so = c.so;
    input.km = 1.0;
    input.vm = 0.3375;
    return input;
}

double number_at(const std::string& text, std::size_t& at)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
    EXPECT_EQ(error, std::errc()) << text;
    at = static_cast<std::size_t>(end - text.data());
    return value;
}

// "[x, y]" and "[low to high]".
void parse(const std::string& inflection, const std::string& range, double& x, double& y, double& low, double& high)
{
    ASSERT_EQ(inflection.size(), kBreakTextLength);
    ASSERT_EQ(range.size(), kBreakTextLength);
    std::size_t at = 1;
    x = number_at(inflection, at);
    ASSERT_EQ(inflection.substr(at, 2), ", ");
    at += 2;
    y = number_at(inflection, at);
    ASSERT_EQ(inflection[at], ']');
    at = 1;
    low = number_at(range, at);
    ASSERT_EQ(range.substr(at, 4), " to ");
    at += 4;
    high = number_at(range, at);
    ASSERT_EQ(range[at], ']');
}

TEST(Breakpoint, TurningTime)
{
    EXPECT_DOUBLE_EQ(turning_time(1.0, 0.3375, 1.0), 10.0);
    EXPECT_DOUBLE_EQ(turning_time(2.0, 1.0, 6.0), 27.0 * 12.0 / 32.0);
}

TEST(Breakpoint, ProductCurveBreaksNearItsTurningTime)
{
    const Curves c = model_curves({1.0});
    RandomContext random = RandomContext::seeded(7);
    const BreakpointResult result = breakpoint(input_of(c, 1), random);
    double x = 0, y = 0, low = 0, high = 0;
    parse(result.inflection_texts[0], result.range_texts[0], x, y, low, high);
    // The best break inside the box, found by a grid: 7.683 (the turning time is 10).
    EXPECT_NEAR(x, 7.683, 0.01);
    EXPECT_LE(low, x);
    EXPECT_GE(high, x);
    EXPECT_LE(low, 10.0);
    EXPECT_GE(high, 10.0);
    EXPECT_NEAR(y, 1.0, 0.25);
    EXPECT_NEAR(result.parameters[0][3], x, 1e-5 * x);
    for (std::size_t j = 1; j < kMaxCurves; ++j) {
        EXPECT_EQ(result.inflection_texts[j], std::string(kBreakTextLength, ' '));
        EXPECT_EQ(result.range_texts[j], std::string(kBreakTextLength, ' '));
    }
}

TEST(Breakpoint, SubstrateAndSeveralCurves)
{
    const Curves c = model_curves({0.5, 1.0, 2.0}, true);
    RandomContext random = RandomContext::seeded(11);
    const BreakpointResult result = breakpoint(input_of(c, 4), random);
    for (std::size_t j = 0; j < 3; ++j) {
        double x = 0, y = 0, low = 0, high = 0;
        parse(result.inflection_texts[j], result.range_texts[j], x, y, low, high);
        const double tq = turning_time(1.0, 0.3375, c.so[j]);
        // The falling curve meets its floor before the turning time; the level sits at
        // the lower end of the level's box, 0.05 of [So].
        EXPECT_GT(x, 0.5 * tq);
        EXPECT_LT(x, tq);
        EXPECT_NEAR(y, 0.05 * c.so[j], 1e-3 * c.so[j]);
        EXPECT_LT(low, x);
        EXPECT_GT(high, x);
    }
}

void expect_unavailable(const BreakpointResult& result, std::size_t j, const char* what)
{
    EXPECT_EQ(result.inflection_texts[j], "[N/A, N/A]" + std::string(kBreakTextLength - 10, ' ')) << what;
    EXPECT_EQ(result.range_texts[j], "[N/A to N/A]" + std::string(kBreakTextLength - 12, ' ')) << what;
    EXPECT_EQ(result.parameters[j], BreakVector{}) << what;
}

TEST(Breakpoint, UnusableCurvesGetTheUnavailableTexts)
{
    struct Case {
        const char* what;
        void (*spoil)(Curves&, BreakpointInput&);
    };
    const Case cases[] = {
        {"time not a number", [](Curves& c, BreakpointInput&) { c.t[5] = nan; }},
        {"fitted value not a number", [](Curves& c, BreakpointInput&) { c.ycalc[7] = nan; }},
        {"fitted value infinite", [](Curves& c, BreakpointInput&) { c.ycalc[0] = INFINITY; }},
        {"Vm zero", [](Curves&, BreakpointInput& in) { in.vm = 0.0; }},
        {"Vm negative", [](Curves&, BreakpointInput& in) { in.vm = -0.3375; }},
        {"Vm not a number", [](Curves&, BreakpointInput& in) { in.vm = nan; }},
        {"Km not a number", [](Curves&, BreakpointInput& in) { in.km = nan; }},
        {"turning time zero", [](Curves& c, BreakpointInput&) { c.so[0] = 0.0; }},
        {"turning time infinite", [](Curves& c, BreakpointInput& in) { in.km = -1.0; c.so[0] = 1.0; }},
        {"turning time negative", [](Curves&, BreakpointInput& in) { in.km = -0.5; }},
        {"no rows", [](Curves& c, BreakpointInput&) { c.points[0] = 0; }},
        {"times all 0", [](Curves& c, BreakpointInput&) { std::fill(c.t.begin(), c.t.end(), 0.0); }},
        {"times all equal", [](Curves& c, BreakpointInput&) { std::fill(c.t.begin(), c.t.end(), 7.0); }},
    };
    for (const Case& k : cases) {
        Curves c = model_curves({1.0});
        BreakpointInput in = input_of(c, 1);
        k.spoil(c, in);
        in.points = c.points;
        in.t = c.t;
        in.ycalc = c.ycalc;
        in.so = c.so;
        RandomContext random = RandomContext::seeded(3);
        expect_unavailable(breakpoint(in, random), 0, k.what);
    }
    // A time offset that is not a number spoils models 3 and 6 only.
    const Curves c = model_curves({1.0});
    BreakpointInput in = input_of(c, 3);
    in.third = nan;
    RandomContext random = RandomContext::seeded(3);
    expect_unavailable(breakpoint(in, random), 0, "offset not a number");
    in.model = 2;
    EXPECT_EQ(breakpoint(in, random).inflection_texts[0].find("N/A"), std::string::npos);
}

TEST(Breakpoint, CurveWithoutProductHasNoLevel)
{
    Curves c = model_curves({1.0});
    std::fill(c.ycalc.begin(), c.ycalc.end(), 0.0);
    RandomContext random = RandomContext::seeded(4);
    expect_unavailable(breakpoint(input_of(c, 1), random), 0, "all zero");
}

TEST(Breakpoint, OneSpoiledCurveLeavesTheOthers)
{
    // Each curve has streams of its own, drawn before any curve starts: the
    // first curve's result is the same with a spoiled second curve.
    Curves c = model_curves({1.0, 2.0});
    RandomContext random = RandomContext::seeded(5);
    const BreakpointResult sound = breakpoint(input_of(c, 1), random);
    c.ycalc[81 + 4] = nan;
    random = RandomContext::seeded(5);
    const BreakpointResult result = breakpoint(input_of(c, 1), random);
    EXPECT_EQ(result.inflection_texts[0].find("N/A"), std::string::npos);
    EXPECT_EQ(result.inflection_texts[0], sound.inflection_texts[0]);
    EXPECT_EQ(result.range_texts[0], sound.range_texts[0]);
    EXPECT_EQ(result.parameters[0], sound.parameters[0]);
    expect_unavailable(result, 1, "second curve");
}

TEST(Breakpoint, TenCurvesFillEverySlot)
{
    std::vector<double> so;
    for (int j = 1; j <= 10; ++j) {
        so.push_back(0.25 * j);
    }
    const Curves c = model_curves(so);
    RandomContext random = RandomContext::seeded(9);
    const BreakpointResult result = breakpoint(input_of(c, 1), random);
    for (std::size_t j = 0; j < kMaxCurves; ++j) {
        double x = 0, y = 0, low = 0, high = 0;
        parse(result.inflection_texts[j], result.range_texts[j], x, y, low, high);
        EXPECT_GT(x, 0.0);
    }
}

TEST(Breakpoint, InconsistentCallsAreRefused)
{
    const Curves c = model_curves({1.0});
    RandomContext random = RandomContext::seeded(1);
    BreakpointInput in = input_of(c, 1);
    const std::vector<std::int64_t> eleven(11, 1);
    in.points = eleven;
    const std::vector<double> many_so(11, 1.0);
    in.so = many_so;
    EXPECT_THROW(breakpoint(in, random), std::invalid_argument);
    in = input_of(c, 1);
    const std::vector<std::int64_t> two{40, 41};
    in.points = two;
    EXPECT_THROW(breakpoint(in, random), std::invalid_argument);  // one [So] for two curves
    const std::vector<std::int64_t> negative{-1};
    in = input_of(c, 1);
    in.points = negative;
    EXPECT_THROW(breakpoint(in, random), std::invalid_argument);
    const std::vector<std::int64_t> beyond{82};
    in.points = beyond;
    EXPECT_THROW(breakpoint(in, random), std::invalid_argument);
    const std::vector<double> long_t(1001, 1.0);
    const std::vector<std::int64_t> too_many_rows{1001};
    in.points = too_many_rows;
    in.t = long_t;
    in.ycalc = long_t;
    EXPECT_THROW(breakpoint(in, random), std::invalid_argument);
    // No curves: every slot blank.
    in.points = {};
    const BreakpointResult none = breakpoint(in, random);
    EXPECT_EQ(none.inflection_texts[0], std::string(kBreakTextLength, ' '));
}

// The breakpoint records of a model section written with the texts of `result`.
std::string report_with(const BreakpointResult& result, const Curves& c)
{
    namespace fs = std::filesystem;
    constexpr std::int64_t unit = 43;
    const fs::path path = fs::temp_directory_path() / ("sorvek_breakpoint_" + std::to_string(::getpid()) + ".out");
    EXPECT_EQ(UnitTable::instance().open(unit, path.string(), OpenMode::create), io_ok);
    ModelResults r;
    r.model = 1;
    r.curve_count = static_cast<std::int64_t>(c.points.size());
    r.nparam = 2;
    r.params = {1.0, 0.3375};
    r.t = c.t;
    r.so = c.t;
    r.yobs = c.ycalc;
    r.ycalc = c.ycalc;
    for (std::size_t j = 0; j < c.points.size(); ++j) {
        r.range_texts[j] = result.range_texts[j];
        r.inflection_texts[j] = result.inflection_texts[j];
    }
    EXPECT_EQ(write_model_section(unit, r), io_ok);
    UnitTable::instance().close(unit);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    fs::remove(path);
    return text.str();
}


TEST(Breakpoint, SparseOffsetCurveGetsTheSameBreakInEveryRun)
{
    // The example file's first two curves as model 3 fits them (nine rows each);
    // the second curve's break was often rejected when a later stage ended worse.
    const double km = 8.512622;
    const double vm = 0.351132;
    const double t0 = 3.240371;
    Curves c;
    for (const double so : {50.0, 100.0}) {
        c.points.push_back(9);
        c.so.push_back(so);
        for (const double t : {0.0, 40.0, 120.0, 160.0, 200.0, 240.0, 280.0, 320.0, 360.0}) {
            c.t.push_back(t);
            c.ycalc.push_back(product(t + t0, so, km, vm));
        }
    }
    BreakpointInput in = input_of(c, 3);
    in.km = km;
    in.vm = vm;
    in.third = t0;
    double first_x = 0.0;
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        RandomContext random = RandomContext::seeded(seed);
        const BreakpointResult result = breakpoint(in, random);
        double x = 0, y = 0, low = 0, high = 0;
        parse(result.inflection_texts[1], result.range_texts[1], x, y, low, high);
        if (seed == 1) {
            first_x = x;
        }
        EXPECT_NEAR(x, first_x, 1e-4 * first_x) << "seed " << seed;
        EXPECT_GT(x, 0.5 * turning_time(km, vm, 100.0)) << "seed " << seed;
    }
}

TEST(Breakpoint, OneThreadAndManyGiveTheSameReport)
{
    std::vector<double> so;
    for (int j = 1; j <= 10; ++j) {
        so.push_back(0.25 * j);
    }
    const Curves c = model_curves(so);
    BreakpointInput in = input_of(c, 3);  // with the time offset's shifted times
    in.third = 0.5;
    std::string first_report;
    BreakpointResult first;
    for (const std::size_t threads : {1u, 3u, 8u}) {
        TaskPool pool(threads);
        RandomContext random = RandomContext::seeded(21);
        const BreakpointResult result = breakpoint(in, random, pool);
        const std::string report = report_with(result, c);
        if (threads == 1) {
            first = result;
            first_report = report;
            EXPECT_NE(report.find("Crv10 Inflection Point [x,y] = ["), std::string::npos);
            EXPECT_EQ(report.find("N/A"), std::string::npos);
            continue;
        }
        EXPECT_EQ(report, first_report) << threads << " threads";
        EXPECT_EQ(result.inflection_texts, first.inflection_texts) << threads << " threads";
        EXPECT_EQ(result.range_texts, first.range_texts) << threads << " threads";
        EXPECT_EQ(result.parameters, first.parameters) << threads << " threads";
    }
}

// The sum of squares of a reported break on the curve's own times, the bend
// term taken back from its half-width.
double reported_sum(BreakVector p, const BreakCurve& curve)
{
    p[4] = (p[4] / 2.0) * (p[4] / 2.0) - 0.0010000000474974513;
    return funbreak(p, curve);
}

TEST(Breakpoint, ReportedBreakIsWithinOnePercentOfTheGridsBest)
{
    using reference::kBreakGridCurves;
    // The rising curves in one call, the falling ones in another.
    for (const std::int64_t model : {1, 4}) {
        std::vector<const reference::BreakGridCurve*> chosen;
        Curves c;
        for (const auto& curve : kBreakGridCurves) {
            if (curve.model != model) {
                continue;
            }
            chosen.push_back(&curve);
            c.points.push_back(static_cast<std::int64_t>(curve.y.size()));
            c.so.push_back(curve.so);
            c.t.insert(c.t.end(), reference::kBreakGridTimes.begin(), reference::kBreakGridTimes.end());
            c.ycalc.insert(c.ycalc.end(), curve.y.begin(), curve.y.end());
        }
        ASSERT_EQ(chosen.size(), 4u);
        BreakpointInput in = input_of(c, model);
        in.km = reference::kBreakGridKm;
        in.vm = reference::kBreakGridVm;
        std::set<std::pair<std::int64_t, double>> streams;
        for (std::uint64_t seed = 1; seed <= 4; ++seed) {
            // The runs' curves draw from streams that all differ.
            RandomContext probe = RandomContext::seeded(seed);
            for (std::size_t j = 0; j < chosen.size(); ++j) {
                RandomContext curve_random = draw_task_context(probe);
                const std::int64_t state = curve_random.minimal_standard.next_integer();
                streams.insert({state, curve_random.uniform.next()});
            }
            RandomContext random = RandomContext::seeded(seed);
            const BreakpointResult result = breakpoint(in, random);
            for (std::size_t j = 0; j < chosen.size(); ++j) {
                const auto& grid = *chosen[j];
                ASSERT_EQ(result.inflection_texts[j].find("N/A"), std::string::npos) << grid.name;
                const BreakCurve curve{reference::kBreakGridTimes, grid.y, in.curve_sign};
                const double f = reported_sum(result.parameters[j], curve);
                EXPECT_LE(f, 1.01 * grid.best_sum) << grid.name << ", seed " << seed;
                EXPECT_NEAR(result.parameters[j][3], grid.best[3], 0.05 * grid.best[3]) << grid.name;
            }
        }
        EXPECT_EQ(streams.size(), 4 * chosen.size());
    }
}

TEST(Breakpoint, ReportHeaderOnlyWhenSomeCurveHasAResult)
{
    Curves c = model_curves({1.0, 2.0});
    RandomContext random = RandomContext::seeded(2);
    BreakpointInput in = input_of(c, 1);
    std::string report = report_with(breakpoint(in, random), c);
    EXPECT_NE(report.find("ESTIMATED DATA RANGE FOR OPTIMAL CURVE-FIT:"), std::string::npos);
    EXPECT_NE(report.find("          Crv 2 Inflection Point [x,y] = ["), std::string::npos);

    c.ycalc[3] = nan;
    report = report_with(breakpoint(in, random), c);
    EXPECT_NE(report.find("ESTIMATED DATA RANGE"), std::string::npos);
    EXPECT_NE(report.find("          Crv 1 Suggested range [x] = N/A\n"), std::string::npos);

    in.vm = nan;
    report = report_with(breakpoint(in, random), c);
    EXPECT_EQ(report.find("ESTIMATED DATA RANGE"), std::string::npos);
    EXPECT_EQ(report.find("Inflection Point"), std::string::npos);
    EXPECT_NE(report.find("          Crv 2 Suggested range [x] = N/A\n"), std::string::npos);
}

}  // namespace
}  // namespace imm
