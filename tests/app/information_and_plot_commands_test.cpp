#include <gtest/gtest.h>

#include "app/command_codes.h"
#include "app/information_and_plot_commands.h"
#include "app/information_dialogs.h"
#include "program_harness.h"
#include "tests/app/plots/plot_session.h"

namespace imm {
namespace {

using testing::PlotSession;
using testing_support::ProgramRun;
using testing_support::TempFolder;
using E = MenuEntry;

const std::string kNoResults = "No results to show - Run a curve-fit first.";
const std::string kTooFewCurves = "Atleast 3 data curves required";

// Data of three curves and a saturation table, as a finished run leaves them.
void fill_three_curves() {
    const testing::Row rows[] = {{0, 10, 0, 0.1}, {10, 10, 5, 4.9}, {0, 20, 0, 0.2},
                                 {10, 20, 8, 8.1}, {0, 40, 0, 0},    {10, 40, 11, 11}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        a1.t[i] = rows[i].t;
        a1.so[i] = rows[i].so;
        a1.yobs[i] = rows[i].yobs;
        a1.ycalc[i] = rows[i].ycalc;
    }
    global_types.idat = std::ssize(rows);
    global_types.idatasets = 3;
    global_types.strmdl = "Model 1";
    a4.sat_km = 10;
    a4.sat_vmax = 2;
    double x = 0;
    for (std::size_t i = 0; i < a4.sat_curve_x.size(); ++i) {
        x += 0.1 * a4.sat_km;
        a4.sat_curve_x[i] = x;
        a4.sat_curve_y[i] = 2 * x / (x + 10);
    }
    a4.sat_so[0] = 10;
    a4.sat_so[1] = 20;
    a4.sat_so[2] = 40;
}

// Runs a plot command with the main window woken beforehand, so that its pause ends at once.
void plot(ProgramState& program, std::int64_t code) {
    stopidle();
    plot_command(program, code);
}

TEST(InformationCommands, EachCodeShowsItsDialog) {
    PlotSession p;
    const std::vector<std::pair<std::int64_t, std::string>> dialogs = {
        {command::about, about_text()},
        {command::model_library_text, model_library_text()},
        {command::example_file, example_file_text()},
        {command::mechanism, mechanism_text()},
        {command::help, help_text()}};
    for (const auto& [code, text] : dialogs) {
        information_command(code);
    }
    information_command(command::xy_plot);  // not an information command
    const auto messages = p.session.record().messages;
    ASSERT_EQ(messages.size(), dialogs.size());
    for (std::size_t i = 0; i < dialogs.size(); ++i) {
        EXPECT_EQ(messages[i].kind, 1);
        EXPECT_EQ(messages[i].text, dialogs[i].second);
    }
    EXPECT_TRUE(p.plots().empty());
}

TEST(PlotCommands, DrawWhatTheSharedBlocksHoldAfterASuccessfulRun) {
    PlotSession p;
    fill_three_curves();
    ProgramState program;
    program.results_ready = true;
    plot(program, command::xy_plot);
    plot(program, command::residual_plot);
    plot(program, command::rate_plot);
    const auto plots = p.plots();
    ASSERT_EQ(plots.size(), 3u);
    EXPECT_EQ(plots[0].title, "Model 1");
    EXPECT_EQ(plots[0].series.size(), 6u);
    EXPECT_EQ(plots[1].title, "Model 1\r\nResiduals Plot");
    EXPECT_EQ(plots[1].series[0].y.size(), 6u);
    EXPECT_EQ(plots[2].title, "Model 1\r\nSaturation Plot");
    EXPECT_EQ(plots[2].series[0].x, (std::vector<float>{40, 20, 10}));
    EXPECT_TRUE(p.session.record().messages.empty());
    EXPECT_EQ(getcurrentwindow(), p.main_window);
}

TEST(PlotCommands, RatePlotNeedsThreeCurves) {
    for (const std::int64_t curves : {1, 2}) {
        PlotSession p;
        fill_three_curves();
        global_types.idatasets = curves;
        ProgramState program;
        program.results_ready = true;
        plot(program, command::rate_plot);
        const auto record = p.session.record();
        EXPECT_TRUE(record.plots.empty());
        ASSERT_EQ(record.messages.size(), 1u);
        EXPECT_EQ(record.messages[0].caption, "Information");
        EXPECT_EQ(record.messages[0].text, kTooFewCurves);
    }
}

// ---- in the command loop, after a Run or a Rerun of each status

const std::string kRisingData = "0 10 0\n10 10 5\n0 20 0\n10 20 8\n0 40 0\n10 40 11\n";

struct AfterRun {
    std::int64_t status;
    bool rerun;
};

class CommandsAfterARun : public ::testing::TestWithParam<AfterRun> {};

TEST_P(CommandsAfterARun, ShowFollowUpDialogAndPlotsOnlyAfterSuccess) {
    const auto [status, rerun] = GetParam();
    TempFolder folder;
    ProgramRun program;
    program.start();
    program.fit().report_lines = {"head", "report"};
    program.open_data_file(folder.write("run.in", kRisingData));
    program.select_models("Product");
    fill_three_curves();  // what the fit leaves in the shared blocks
    if (rerun) {
        program.perform(E::run);
        program.set_fit_status(status);
        program.perform(E::rerun);
    } else {
        program.set_fit_status(status);
        program.perform(E::run);
    }
    const std::size_t before = program.record().messages.size();
    for (const E entry : {E::file_xy_plot, E::residuals, E::rate_plot}) {
        program.perform(entry);
    }
    program.perform(E::help);

    const auto record = program.record();
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < record.messages.size(); ++i) {
        texts.push_back(record.messages[i].text);
    }
    // The follow-up dialog, then what the plot commands showed, then Help.
    const std::string follow_up =
        status >= 4 && status <= 6 ? model_library_text() : status == 7 ? example_file_text() : "";
    if (!follow_up.empty()) {
        ASSERT_GE(before, 1u);
        EXPECT_EQ(texts[before - 1], follow_up);
    }
    const std::vector<std::string> after(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end());
    if (status == 0) {
        EXPECT_EQ(after, std::vector<std::string>{help_text()});
        ASSERT_EQ(record.plots.size(), 3u);
        EXPECT_EQ(record.plots[0].title, "Model 1");
        EXPECT_EQ(record.plots[1].title, "Model 1\r\nResiduals Plot");
        EXPECT_EQ(record.plots[2].title, "Model 1\r\nSaturation Plot");
    } else {
        EXPECT_EQ(after, (std::vector<std::string>{kNoResults, kNoResults, kNoResults, help_text()}));
        EXPECT_TRUE(record.plots.empty());
    }
    EXPECT_EQ(program.main_title(), "Sorvek-IMM: Enzyme Progress of Reaction Modeling Software");
}

INSTANTIATE_TEST_SUITE_P(EachStatus, CommandsAfterARun,
                         ::testing::Values(AfterRun{0, false}, AfterRun{2, false}, AfterRun{3, false},
                                           AfterRun{4, false}, AfterRun{5, false}, AfterRun{6, false},
                                           AfterRun{7, false}, AfterRun{9, false}, AfterRun{0, true},
                                           AfterRun{1, true}, AfterRun{7, true}),
                         [](const auto& info) {
                             return std::string(info.param.rerun ? "Rerun" : "Run") + "Status" +
                                    std::to_string(info.param.status);
                         });

}  // namespace
}  // namespace imm
