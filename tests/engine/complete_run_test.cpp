// Whole runs of the regression driver through the headless window layer.
#include <gtest/gtest.h>


#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "engine/model_fit.h"
#include "engine/regression_driver.h"
#include "model/models.h"
#include "optimise/model_objective.h"
#include "support/shared_blocks.h"
#include "tests/working_folder.h"
#include "window/headless_backend.h"
#include "window/window.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

const fs::path kReference = fs::path(SORVEK_SOURCE_DIR) / "tests" / "reference" / "noisy";

std::array<double, 3> truth_of(std::int64_t model) {
    const double third = model == 2 || model == 5 ? 0.3 : (model == 3 || model == 6 ? 0.5 : 0.0);
    return {2.0, 1.0, third};
}

std::int64_t parameter_count(std::int64_t model) { return model == 1 || model == 4 ? 2 : 3; }

double number_at(const std::string& text, std::size_t& pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '[' || text[pos] == ',')) ++pos;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data() + pos, text.data() + text.size(), value);
    EXPECT_EQ(ec, std::errc()) << text.substr(pos);
    pos = static_cast<std::size_t>(end - text.data());
    return value;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lower and upper 95% limits of each parameter in a report's last section.
std::vector<std::array<double, 2>> confidence_limits(const std::string& report) {
    const auto lines = lines_of(report);
    std::size_t header = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("BEST FIT PARAMETERS:") != std::string::npos) header = i;
    }
    std::vector<std::array<double, 2>> limits_found;
    for (std::size_t i = header + 1; i < lines.size() && lines[i].find('[') != std::string::npos; ++i) {
        std::size_t pos = lines[i].find('[');
        const double lo = number_at(lines[i], pos);
        const double hi = number_at(lines[i], pos);
        limits_found.push_back({lo, hi});
    }
    return limits_found;
}

// The start values printed in a report's first section.
std::vector<double> initial_estimates(const std::string& report) {
    const auto lines = lines_of(report);
    std::vector<double> values;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("INITIAL PARAMETER ESTIMATES") == std::string::npos) continue;
        for (std::size_t j = i + 1; j < lines.size() && !lines[j].empty(); ++j) {
            std::size_t pos = 8;
            values.push_back(number_at(lines[j], pos));
        }
        break;
    }
    return values;
}

std::int64_t count_of(const std::string& text, const std::string& what) {
    std::int64_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
    return n;
}

class CompleteRun : public ::testing::Test {
protected:
    void SetUp() override {
        global_types.brerun = false;
        global_types.nwt_global = 0;
        global_types.varsav.fill(0.0);
    }
    void TearDown() override { global_types.nwt_global = 0; }

    static void choose(std::initializer_list<std::int64_t> models) {
        for (auto& flag : global_types.imdl) flag = 0;
        for (const std::int64_t m : models) global_types.imdl[static_cast<std::size_t>(m - 1)] = 1;
        global_types.imdlno = *models.begin();
    }

    // One run with a seeded random source and no plot waits; the boxes shown.
    std::vector<std::string> run(const std::string& name, std::uint64_t seed = 11) {
        HeadlessSession session;
        RandomContext random = RandomContext::seeded(seed);
        std::string file = name;
        status_ = -1;
        fits_.clear();
        RunOptions options;
        options.on_fit = [this](std::int64_t, const ModelFitResult& fit) { fits_.push_back(fit); };
        sorvek_with(file, status_, random, options);
        std::vector<std::string> boxes;
        for (const auto& message : session.record().messages) boxes.push_back(message.text);
        return boxes;
    }

    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::int64_t status_ = -1;
    std::vector<ModelFitResult> fits_;  // the stages' results, by model
    test::WorkingFolder folder_{"sorvek_run_"};
};

// Three curves of twelve rows made from the model without noise.
void write_noise_free(std::int64_t model, const std::string& name) {
    const auto truth = truth_of(model);
    std::ofstream out(name);
    a1.nmdl = model;
    for (const double so : {1.0, 4.0, 10.0}) {
        for (int i = 1; i <= 12; ++i) {
            char y[40];
            const auto end = std::to_chars(y, y + sizeof y, func(i, so, 0.0, truth)).ptr;
            out << i << ' ' << so << ' ' << std::string(y, end) << '\n';
        }
    }
}

TEST_F(CompleteRun, WeightingChosenDuringARunWaitsForTheNextRun) {
    write_noise_free(2, "weights.in");
    choose({1, 2});
    HeadlessSession session;
    RandomContext random = RandomContext::seeded(5);
    std::vector<std::int64_t> modes;
    RunOptions options;
    options.on_fit = [&modes](std::int64_t, const ModelFitResult&) {
        modes.push_back(a3.weight_mode);
        global_types.nwt_global = 2;  // the user turns robust weighting on mid-run
    };
    std::string file = "weights.in";
    sorvek_with(file, status_, random, options);
    EXPECT_EQ(status_, 0);
    EXPECT_EQ(modes, (std::vector<std::int64_t>{0, 0}));
    EXPECT_EQ(global_types.nwt_global, 2);
}

TEST_F(CompleteRun, NoiseFreeDataOfEachModelGiveBackItsParameters) {
    for (std::int64_t model = 1; model <= 6; ++model) {
        SCOPED_TRACE(model);
        write_noise_free(model, "exact.in");
        choose({model});
        EXPECT_TRUE(run("exact.in").empty());
        ASSERT_EQ(status_, run_finished);
        const auto truth = truth_of(model);
        for (std::int64_t i = 0; i < parameter_count(model); ++i) {
            const auto k = static_cast<std::size_t>(i);
            EXPECT_NEAR(global_types.varsav[k], truth[k], 1e-6 * truth[k]) << "parameter " << i + 1;
        }
    }
}

// Fits of noisy data against scipy's least squares on the same data; the true
// values lie within the reported 95% limits.
TEST_F(CompleteRun, NoisyDataAgreeWithScipy) {
    std::ifstream fixture(kReference / "scipy_fits.txt");
    for (std::int64_t model = 1; model <= 6; ++model) {
        SCOPED_TRACE(model);
        std::int64_t m = 0;
        std::array<double, 3> scipy{};
        double scipy_ssq = 0.0;
        fixture >> m >> scipy[0] >> scipy[1] >> scipy[2] >> scipy_ssq;
        ASSERT_EQ(m, model);
        fs::copy_file(kReference / ("model" + std::to_string(model) + ".in"), "noisy.in",
                      fs::copy_options::overwrite_existing);
        choose({model});
        EXPECT_TRUE(run("noisy.in").empty());
        ASSERT_EQ(status_, run_finished);

        const auto n = static_cast<std::size_t>(parameter_count(model));
        for (std::size_t i = 0; i < n; ++i) {
            EXPECT_NEAR(global_types.varsav[i], scipy[i], 1e-5 * std::abs(scipy[i])) << "parameter " << i + 1;
        }
        ModelSumOfSquares ssq(0);
        EXPECT_LE(ssq.value(std::span(global_types.varsav).first(n)), scipy_ssq * (1.0 + 1e-6));

        const auto limits_found = confidence_limits(read("noisy.out"));
        ASSERT_EQ(limits_found.size(), n);
        const auto truth = truth_of(model);
        for (std::size_t i = 0; i < n; ++i) {
            EXPECT_LT(limits_found[i][0], truth[i]) << "parameter " << i + 1;
            EXPECT_GT(limits_found[i][1], truth[i]) << "parameter " << i + 1;
        }
    }
}

TEST_F(CompleteRun, ExampleFileFitsAndRanksAllSixModels) {
    fs::copy_file(fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in", "example.in");
    choose({1, 2, 3, 4, 5, 6});
    // Substrate models cannot follow rising product: their fitted curves are flat
    // and their information matrices singular.
    for (const auto& box : run("example")) EXPECT_EQ(box, "Mat Inversion: Matrix diagonal = 0!");
    ASSERT_EQ(status_, run_finished);

    const std::string report = read("example.out");
    EXPECT_EQ(count_of(report, "MODEL NAME:"), 6);
    EXPECT_EQ(count_of(report, "BEST-FIT MODEL SUMMARY:"), 1);
    const auto lines = lines_of(report);
    std::vector<std::string> ranked;
    for (const auto& line : lines) {
        if (line.size() > 40 && line.compare(0, 5, "     ") == 0 && line[7] >= '1' && line[7] <= '6' &&
            line.find("Michaelis") != std::string::npos && line.find("MODEL NAME") == std::string::npos) {
            ranked.push_back(line);
        }
    }
    ASSERT_EQ(ranked.size(), 6u);
    EXPECT_EQ(ranked[0].substr(74, 6), " 0.00*");
    EXPECT_EQ(lines.back(), " SAVED TO: example.out");
    // Each section states the stage-3 code that the minimiser returned.
    ASSERT_EQ(fits_.size(), 6u);
    std::int64_t calls = 0;
    std::int64_t uphill = 0;
    for (const ModelFitResult& fit : fits_) {
        calls += fit.stage3_code == 2;
        uphill += fit.stage3_code == 4;
    }
    // The SQP tolerance halves from model to model after a measure that is a number.
    double tolerance = 10.0 * 2.979932929550268e-08;
    for (const ModelFitResult& fit : fits_) {
        EXPECT_DOUBLE_EQ(fit.stage3_tolerance, tolerance);
        if (fit.stage3_measure_finite) tolerance /= 2.0;
    }
    EXPECT_EQ(count_of(report, "CALLS TO FUNCTION EXCEEDED  200--INFO = 2"), calls);
    EXPECT_EQ(count_of(report, "UPHILL SEARCH DIRECTION WAS EXECUTED--INFO = 4"), uphill);
    EXPECT_EQ(count_of(report, "(MESSAGE RETURNED FROM STAGE 3)"), calls + uphill);

    const std::int64_t best = ranked[0][34] - '0';
    EXPECT_EQ(global_types.imdlno, 6);
    EXPECT_EQ(a1.nmdl, best);
    EXPECT_EQ(global_types.strmdl.substr(0, 3), std::to_string(best) + "- ");
    EXPECT_EQ(a3.nparam, parameter_count(best));
    EXPECT_FALSE(global_types.brerun);
}

// The example as data.in: each [So] and observed value times c, each time times tau,
// and with `controls` a flat curve at [So] 0 before and after it.
void write_example(double c, double tau, bool controls) {
    std::ifstream in(fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in");
    std::ofstream out("data.in");
    out.precision(17);
    const char* control = controls ? "0 0 0\n40 0 0\n120 0 0\n" : "";
    out << control;
    for (double t, so, y; in >> t >> so >> y;) out << t * tau << ' ' << so * c << ' ' << y * c << '\n';
    out << control;
}

// The numbers of a report's stage sums, standard error of regression, and tables
// of start values, parameters, initial rates and data, as printed.
std::vector<std::string> printed_numbers(const std::string& report) {
    std::vector<std::string> numbers;
    bool table = false;
    for (std::string line : lines_of(report)) {
        std::replace_if(line.begin(), line.end(), [](char c) { return c == '[' || c == ']' || c == ','; }, ' ');
        std::istringstream in(line);
        std::vector<std::string> w{std::istream_iterator<std::string>(in), {}};
        std::erase(w, "+/-");
        const auto has = [&](const char* text) { return line.find(text) != std::string::npos; };
        if (w.empty()) table = false;
        else if (has("SSQ=") || has("OF REGRESSION=")) numbers.push_back(w.back());
        else if (has("INITIAL PARAMETER") || has("BEST FIT PARAMETERS") || has("/Km") || has("RESIDUAL")) table = true;
        else if (table && std::isdigit(static_cast<unsigned char>(w[0][0]))) {
            numbers.insert(numbers.end(), w.begin() + 1, w.end());
        }
    }
    return numbers;
}

// The significant digits a number shows: 3 for 0.100 and 1.23E-05, 1 for 0.000008.
std::ptrdiff_t significant_digits(const std::string& text) {
    const std::string mantissa = text.substr(0, text.find('E'));
    const std::size_t first = mantissa.find_first_of("123456789");
    return first == std::string::npos ? 0 : std::count_if(mantissa.begin() + static_cast<std::ptrdiff_t>(first),
                                                          mantissa.end(), [](char c) { return std::isdigit(c) != 0; });
}

// In molar units and seconds, and in nanomolar units and hours, each number that the
// example's own report shows with three significant digits shows three or more. (The
// fits reach the same minimum in any units: LeastSquaresMinimum.OtherUnitsReachTheSameMinimum.)
TEST_F(CompleteRun, ExampleInOtherUnitsShowsItsDigits) {
    for (const auto& [c, tau] : {std::pair{1e-6, 60.0}, std::pair{1e3, 1.0 / 60.0}}) {
        for (const std::int64_t model : {1, 2, 3}) {
            SCOPED_TRACE(testing::Message() << "units " << c << ", " << tau << " model " << model);
            choose({model});
            write_example(1.0, 1.0, false);
            run("data.in");
            const std::vector<std::string> own = printed_numbers(read("data.out"));
            write_example(c, tau, false);
            run("data.in");
            const std::vector<std::string> other = printed_numbers(read("data.out"));
            ASSERT_EQ(other.size(), own.size());
            for (std::size_t i = 0; i < own.size(); ++i) {
                if (significant_digits(own[i]) >= 3) {
                    EXPECT_GE(significant_digits(other[i]), 3) << own[i] << ", " << other[i];
                }
            }
        }
    }
}

// With a flat control curve at [So] 0 first and last, every model finishes with
// finite results, the controls' initial rates are 0 and their breakpoints N/A, and
// models 1 and 3, whose values there are 0 whatever their parameters, keep the
// example's own Km and Vm.
TEST_F(CompleteRun, ControlCurvesAtZeroSubstrate) {
    for (std::int64_t model = 1; model <= 6; ++model) {
        SCOPED_TRACE(model);
        choose({model});
        std::vector<ParameterVector> params;
        for (const bool controls : {false, true}) {
            write_example(1.0, 1.0, controls);
            run("data.in");
            ASSERT_EQ(status_, run_finished);
            params.push_back(fits_.at(0).params);
        }
        EXPECT_EQ(global_types.idatasets, 5);
        EXPECT_TRUE(std::isfinite(fits_[0].ssq3) && std::isfinite(params[1][0] + params[1][1] + params[1][2]));
        for (std::size_t i = 0; i < 2 && (model == 1 || model == 3); ++i) {
            EXPECT_NEAR(params[1][i], params[0][i], 1e-6 * params[0][i]) << "parameter " << i + 1;
        }
        const std::string report = read("data.out");
        EXPECT_EQ(count_of(report, "0.000000          0.000000          0.000000"), 2);
        for (const char* curve : {"Crv 1 ", "Crv 5 "}) {
            EXPECT_EQ(count_of(report, curve + std::string("Suggested range [x] = N/A")), 1) << curve;
        }
    }
}

// The best model's data, fitted values, title and parameters stay; imdlno keeps the last model.
TEST_F(CompleteRun, BestModelIsRestoredAtTheEnd) {
    fs::copy_file(fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in", "example.in");
    choose({2, 4});
    EXPECT_TRUE(run("example.in").empty());
    ASSERT_EQ(status_, run_finished);
    EXPECT_EQ(global_types.imdlno, 4);
    EXPECT_EQ(a1.nmdl, 2);
    EXPECT_EQ(global_types.strmdl.substr(0, 3), "2- ");
    EXPECT_EQ(a1.yobs[0], 0.534);
    EXPECT_EQ(a1.yobs[26], 123.469);
    for (std::size_t i = 0; i < 27; ++i) {
        double y = func(a1.t[i], a1.so[i], 0.0, std::span(global_types.varsav).first(3));
        if (y < 0.0) y = 0.0;
        EXPECT_EQ(a1.ycalc[i], y) << "row " << i + 1;
    }
}

// A Rerun starts each model from the saved parameters; after a run that fitted
// nothing it starts from fresh estimates, as a Run does.
TEST_F(CompleteRun, RerunStartsFromTheSavedParameters) {
    fs::copy_file(fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in", "example.in");
    choose({1});
    run("example.in");
    const std::vector<double> fresh = initial_estimates(read("example.out"));
    ASSERT_EQ(fresh.size(), 2u);

    global_types.varsav = {};
    global_types.varsav[0] = 123.5;
    global_types.varsav[1] = 0.25;
    global_types.brerun = true;
    run("example.in");
    EXPECT_EQ(initial_estimates(read("example.out")), (std::vector<double>{123.5, 0.25}));
    EXPECT_FALSE(global_types.brerun);

    global_types.varsav.fill(0.0);
    global_types.brerun = true;
    run("example.in");
    EXPECT_EQ(initial_estimates(read("example.out")), fresh);
}

// The start values are estimated on the unweighted sum whatever the weighting,
// so a run never inherits the weighting of the run before it.
TEST_F(CompleteRun, StartValuesDoNotDependOnThePreviousRunsWeighting) {
    fs::copy_file(kReference / "model1.in", "noisy.in");
    choose({1});
    std::vector<std::vector<double>> starts;
    for (const std::int64_t weighting : {0, 2, 0}) {
        global_types.nwt_global = weighting;
        run("noisy.in");
        ASSERT_EQ(status_, run_finished);
        starts.push_back(initial_estimates(read("noisy.out")));
    }
    EXPECT_EQ(starts[0], starts[1]);
    EXPECT_EQ(starts[0], starts[2]);
}

// Marks after the optimisers, then the statistics' notice, in the main window's title.
TEST_F(CompleteRun, ProgressShowsInTheMainWindowTitle) {
    fs::copy_file(fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in", "example.in");
    choose({1, 2});
    HeadlessSession session;
    const std::int64_t main_window = initwindow(400, 300, "main", 0, 0, true);
    RandomContext random = RandomContext::seeded(11);
    std::string name = "example.in";
    sorvek_with(name, status_, random, RunOptions{});
    ASSERT_EQ(status_, run_finished);
    const auto titles = session.record().windows.at(main_window).titles;
    std::vector<std::string> notices;
    std::size_t marked = 0;
    for (const auto& title : titles) {
        if (title.starts_with("Wait")) notices.push_back(title);
        if (title.starts_with(" |")) {
            ++marked;
            EXPECT_LE(title.size(), 80u);
            EXPECT_EQ(title.find_first_not_of(" |"), std::string::npos) << title;
        }
    }
    EXPECT_EQ(notices, (std::vector<std::string>{"Wait, computing model #1", "Wait, computing model #2"}));
    EXPECT_GE(marked, 4u);
}

// Fuzzing lowers the optimisers' limits and leaves out the curves' analysis.
TEST_F(CompleteRun, LoweredLimitsReachTheOptimisers) {
    fs::copy_file(fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in", "example.in");
    choose({1});
    run("example.in");
    ASSERT_EQ(fits_.size(), 1u);
    const ModelFitResult full = fits_[0];

    HeadlessSession session;
    RandomContext random = RandomContext::seeded(11);
    RunOptions options;
    options.on_fit = [this](std::int64_t, const ModelFitResult& fit) { fits_.push_back(fit); };
    options.stage_limits = StageLimits{.generations = 5,
                                       .simplex_iterations = 5,
                                       .stage2_passes = 1,
                                       .quasi_newton_evaluations = 5,
                                       .sqp_iterations = 5,
                                       .sqp_passes = 1,
                                       .robust_rounds = 1};
    options.analyse_breakpoints = false;
    std::string name = "example.in";
    sorvek_with(name, status_, random, options);
    ASSERT_EQ(status_, run_finished);
    ASSERT_EQ(fits_.size(), 2u);
    const ModelFitResult& lowered = fits_[1];
    for (std::size_t stage = 0; stage < 2; ++stage) {
        EXPECT_LT(lowered.stages[stage].evaluations, full.stages[stage].evaluations) << "stage " << stage + 1;
    }
    const std::string report = read("example.out");
    EXPECT_EQ(count_of(report, "Suggested range [x] = N/A"), 3);
    EXPECT_EQ(report.find("ESTIMATED DATA RANGE"), std::string::npos);
}

TEST_F(CompleteRun, ModelChecksEndTheRun) {
    std::ofstream("two.in") << "0 1 0\n1 1 0.5\n";  // 2 rows: caught by the row count
    std::ofstream("three.in") << "0 1 0\n1 1 0.5\n2 1 0.8\n";
    choose({2});
    const auto boxes = run("three.in");
    EXPECT_EQ(status_, run_model_limits);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Not enough data points to fit model: 3",
                                               "* * * WARNING: RUN ABORTED * * *"}));

    global_types.nwt_global = 5;
    choose({1});
    std::ofstream("four.in") << "0 1 0\n1 1 0.4\n2 1 0.6\n3 1 0.7\n";
    const auto weighted = run("four.in");
    EXPECT_EQ(status_, run_finished);
    EXPECT_EQ(weighted, (std::vector<std::string>{"Value of weight out of range of [0-2]!"}));
    EXPECT_NE(read("four.out").find("WEIGHTING: NO WEIGHTING"), std::string::npos);
}

}  // namespace
}  // namespace imm
