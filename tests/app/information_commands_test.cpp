#include <gtest/gtest.h>

#include "app/information_commands.h"
#include "app/information_dialogs.h"
#include "tests/app/plots/plot_session.h"

namespace imm {
namespace {

using testing::PlotSession;

// Data of three curves, as a finished run leaves them.
void fill_three_curves(PlotSession& p) {
    p.set_rows({{0, 10, 0, 0.1}, {10, 10, 5, 4.9}, {0, 20, 0, 0.2}, {10, 20, 8, 8.1}, {0, 40, 0, 0}, {10, 40, 11, 11}});
    global_types.idatasets = 3;
    global_types.strmdl = "Model 1";
    a4.sat_km = 10;
    a4.sat_vmax = 2;
    for (std::size_t i = 0; i < 100; ++i) {
        a4.sat_curve_x[i] = 0.1 * static_cast<double>(i + 1) * 10;
        a4.sat_curve_y[i] = 2 * a4.sat_curve_x[i] / (a4.sat_curve_x[i] + 10);
    }
    a4.sat_so[0] = 10;
    a4.sat_so[1] = 20;
    a4.sat_so[2] = 40;
}

// Runs a command with the main window woken beforehand, so that its pause ends at once.
bool command(std::int64_t code, bool fitted_data) {
    stopidle();
    return information_or_plot_command(code, fitted_data);
}

TEST(InformationCommands, DialogCommandsShowTheirTexts) {
    const std::vector<std::pair<std::int64_t, std::string>> dialogs = {
        {5, about_text()}, {6, model_library_text()}, {8, example_file_text()}, {9, mechanism_text()},
        {19, help_text()}};
    for (const bool fitted_data : {false, true}) {
        PlotSession p;
        for (const auto& [code, text] : dialogs) {
            EXPECT_TRUE(command(code, fitted_data)) << code;
        }
        const auto messages = p.session.record().messages;
        ASSERT_EQ(messages.size(), dialogs.size());
        for (std::size_t i = 0; i < dialogs.size(); ++i) {
            EXPECT_EQ(messages[i].kind, 1);
            EXPECT_EQ(messages[i].text, dialogs[i].second);
        }
        EXPECT_TRUE(p.plots().empty());
    }
}

TEST(InformationCommands, OtherCodesAreNotTheirs) {
    PlotSession p;
    for (const std::int64_t code : {-1, 0, 1, 2, 3, 4, 7, 11, 12, 13, 14, 15, 17, 18, 21}) {
        EXPECT_FALSE(information_or_plot_command(code, true)) << code;
    }
    const auto record = p.session.record();
    EXPECT_TRUE(record.messages.empty());
    EXPECT_TRUE(record.plots.empty());
}

TEST(InformationCommands, PlotsAfterARunThatProducedData) {
    PlotSession p;
    fill_three_curves(p);
    EXPECT_TRUE(command(10, true));
    EXPECT_TRUE(command(16, true));
    EXPECT_TRUE(command(20, true));
    const auto plots = p.plots();
    ASSERT_EQ(plots.size(), 3u);
    EXPECT_EQ(plots[0].title, "Model 1");
    EXPECT_EQ(plots[0].series.size(), 6u);
    EXPECT_EQ(plots[1].title, "Model 1\r\nResiduals Plot");
    EXPECT_EQ(plots[2].title, "Model 1\r\nSaturation Plot");
    EXPECT_TRUE(p.session.record().messages.empty());
    EXPECT_EQ(getcurrentwindow(), p.main_window);
}

TEST(InformationCommands, PlotsAreRefusedWithoutFittedData) {
    PlotSession p;
    fill_three_curves(p);
    for (const std::int64_t code : {10, 16, 20}) {
        EXPECT_TRUE(command(code, false));
    }
    const auto record = p.session.record();
    EXPECT_TRUE(record.plots.empty());
    ASSERT_EQ(record.messages.size(), 3u);
    for (const RecordedMessage& m : record.messages) {
        EXPECT_EQ(m.kind, 1);
        EXPECT_EQ(m.text, "No results to plot - Warning!\r\nRun a curve-fit first. ");
    }
}

TEST(InformationCommands, RatePlotNeedsThreeCurves) {
    for (const std::int64_t curves : {1, 2}) {
        PlotSession p;
        fill_three_curves(p);
        global_types.idatasets = curves;
        EXPECT_TRUE(command(20, true));
        const auto record = p.session.record();
        EXPECT_TRUE(record.plots.empty());
        ASSERT_EQ(record.messages.size(), 1u);
        EXPECT_EQ(record.messages[0].kind, 1);
        EXPECT_EQ(record.messages[0].caption, "Information");
        EXPECT_EQ(record.messages[0].text, "Atleast 3 data curves required");
    }
}

TEST(InformationCommands, FollowUpDialogByRunStatus) {
    for (std::int64_t status = -1; status <= 10; ++status) {
        PlotSession p;
        run_status_followup(status);
        const auto messages = p.session.record().messages;
        if (status >= 4 && status <= 6) {
            ASSERT_EQ(messages.size(), 1u) << status;
            EXPECT_EQ(messages[0].text, model_library_text());
        } else if (status == 7) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text, example_file_text());
        } else {
            EXPECT_TRUE(messages.empty()) << status;
        }
        EXPECT_TRUE(p.plots().empty());
    }
}

}  // namespace
}  // namespace imm
