#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "app/command_codes.h"
#include "app/file_commands.h"
#include "program_harness.h"

namespace imm {
namespace {

using testing_support::ProgramRun;
using testing_support::read_file;
using testing_support::TempFolder;
using E = MenuEntry;

const std::string kTitle = "Sorvek-IMM: Enzyme Progress of Reaction Modeling Software";
const std::string kData = "0 50 0.5\n40 50 13.7\n120 50 32.7\n";

TEST(OpenCommand, AsksForADataFileAndShowsItsPathAsGiven) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() / "Sub");
    const auto file = folder.write("Sub/MyRun.in", kData);
    ProgramRun program;
    program.start();
    const auto start_folder = std::filesystem::current_path();
    program.open_data_file(file);

    const auto r = program.record();
    ASSERT_EQ(r.file_dialogs.size(), 1u);
    const FileDialogRequest& request = r.file_dialogs[0].request;
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.name, (start_folder / "*.in").string());
    EXPECT_EQ(request.filter_name, "*.in");
    EXPECT_EQ(request.pattern, "*.in");
    EXPECT_EQ(request.title, "Enter data file");
    EXPECT_EQ(program.main_title(), file.string());
    // The name keeps its case for every file access; the working folder moves.
    EXPECT_EQ(global_types.data_file_name, file.string());
    EXPECT_EQ(std::filesystem::current_path(), folder.path() / "Sub");
    EXPECT_EQ(global_types.data_folder, (folder.path() / "Sub").string() + "/");
}

TEST(OpenCommand, CancelDropsTheOpenFileAndKeepsTheTitle) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    program.open_data_file(folder.write("a.in", kData));
    const std::string title = program.main_title();
    program.backend().answer_file_dialog(std::nullopt);
    program.perform(E::open_data_file);
    EXPECT_EQ(program.main_title(), title);
    EXPECT_EQ(global_types.data_file_name, "DATA.IN");
    program.select_models("Product");
    program.perform(E::run);
    ASSERT_EQ(program.record().messages.size(), 1u);
    EXPECT_EQ(program.record().messages[0].text, "No data file open - Warning!\r\nOpen a data file for input. ");
}

// A finished run of the scripted fit on run.in with the given report.
void finished_run(ProgramRun& program, const TempFolder& folder, std::vector<std::string> report) {
    program.fit().report_lines = std::move(report);
    program.open_data_file(folder.write("run.in", kData));
    program.select_models("Product");
    program.perform(E::run);
}

TEST(ReportAfterARun, IsShownWithoutItsFirstLineAndRecordsWhereItWasWritten) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    finished_run(program, folder, {"first line", "", "  second   ", "third"});
    const auto report = folder.path() / "run.out";
    EXPECT_EQ(program.text_area(), "\r\n  second\r\nthird\r\n");
    EXPECT_EQ(read_file(report), "first line\n\n  second   \nthird\n   Results written to " + report.string() + "\n");
    EXPECT_EQ(global_types.report_file_name, report.string());
    EXPECT_TRUE(program.record().messages.empty());
}

TEST(ReportAfterARun, ThatCannotBeOpenedShowsAnErrorAndTheProgramGoesOn) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    // A folder in the report's place: the scripted fit cannot write it and the
    // program cannot open it.
    std::filesystem::create_directories(folder.path() / "run.out");
    finished_run(program, folder, {"head"});
    const auto messages = program.record().messages;
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].kind, 3);
    EXPECT_EQ(messages[0].text, "Textbox Data File Write - Fatal error!\r\nCould not open the output file " +
                                    (folder.path() / "run.out").string() + ": Is a directory");
    program.perform(E::help);
    EXPECT_FALSE(program.finished());
    EXPECT_EQ(program.main_title(), kTitle);
}

// A link put at the report's name after the run: the record is not written through it.
TEST(ReportAfterARun, IsNotAppendedToThroughALink) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    const auto named = folder.write("named.txt", "kept\n");
    std::filesystem::create_symlink(named, folder.path() / "run.out");
    finished_run(program, folder, {"head"});  // the scripted fit writes through the link
    ASSERT_FALSE(program.record().messages.empty());
    EXPECT_EQ(program.record().messages[0].text, "Textbox Data File Write - Fatal error!\r\nCould not open the output "
                                                 "file " + (folder.path() / "run.out").string() + ": it is a symbolic link");
    EXPECT_EQ(read_file(named), "head\n");
}

TEST(SaveResults, WritesTheTextAreaToTheChosenFile) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    finished_run(program, folder, {"head", "Km = 1.5", "Vm = 2.5"});
    const auto saved = folder.path() / "saved.txt";
    program.backend().answer_file_dialog(saved.string());
    program.perform(E::save_results);
    const auto r = program.record();
    const FileDialogRequest& request = r.file_dialogs.back().request;
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.name, (folder.path() / "run.txt").string());
    EXPECT_EQ(request.pattern, "*.txt");
    EXPECT_EQ(request.filter_name, "*.txt");
    EXPECT_EQ(request.title, "Save Data");
    // The text area's own line breaks, and the record's line end.
    EXPECT_EQ(read_file(saved), "Km = 1.5\r\nVm = 2.5\r\n\n");
}

TEST(SaveResults, CancelledWritesNothing) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    finished_run(program, folder, {"head", "x"});
    program.backend().answer_file_dialog(std::nullopt);
    program.perform(E::save_results);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "run.txt"));
    EXPECT_TRUE(program.record().messages.empty());
}

TEST(SaveResults, ThatCannotBeWrittenShowsAnErrorAndTheProgramGoesOn) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    finished_run(program, folder, {"head", "x"});
    const auto blocked = folder.path() / "blocked.txt";
    std::filesystem::create_directories(blocked);
    program.backend().answer_file_dialog(blocked.string());
    program.perform(E::save_results);
    const auto messages = program.record().messages;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, 3);
    EXPECT_EQ(messages[0].text, "Could not write the file " + blocked.string() + ": Is a directory");
    program.perform(E::help);
    EXPECT_FALSE(program.finished());
}

struct NoResults {
    std::string name;
    std::int64_t fit_status;  // -1: no run at all
    E entry;
};

void PrintTo(const NoResults& c, std::ostream* os) { *os << c.name; }

class WithoutResults : public testing::TestWithParam<NoResults> {};

TEST_P(WithoutResults, NothingIsSavedPrintedOrDrawn) {
    const NoResults& c = GetParam();
    TempFolder folder;
    ProgramRun program;
    program.start();
    program.open_data_file(folder.write("run.in", kData));
    program.select_models("Product");
    if (c.fit_status >= 0) {
        program.set_fit_status(c.fit_status);
        program.perform(E::run);
    }
    program.perform(c.entry);
    const auto r = program.record();
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].kind, 1);
    EXPECT_EQ(r.messages[0].text, "No results to show - Run a curve-fit first.");
    EXPECT_EQ(r.file_dialogs.size(), 1u);  // only the open dialog
    EXPECT_TRUE(program.editor_calls().empty());
    EXPECT_TRUE(r.plots.empty());
}

const NoResults kNoResults[] = {
    {"SaveBeforeAnyRun", -1, E::save_results},   {"SaveAfterAFailedRun", 3, E::save_results},
    {"PrintAfterAFailedRun", 2, E::print_results}, {"XYPlotAfterAFailedRun", 3, E::xy_plot},
    {"FileXYPlotAfterAFailedRun", 2, E::file_xy_plot}, {"RatePlotAfterAFailedRun", 3, E::rate_plot},
    {"ResidualsAfterAFailedRun", 3, E::residuals},
};

INSTANTIATE_TEST_SUITE_P(Commands, WithoutResults, testing::ValuesIn(kNoResults),
                         [](const testing::TestParamInfo<NoResults>& info) { return info.param.name; });

TEST(EditorCommands, PrintAndEditOpenTheReportAndTheDataFileInTheEditor) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    finished_run(program, folder, {"head", "x"});
    program.perform(E::print_results);
    program.perform(E::edit_data_file);
    EXPECT_EQ(program.editor_calls(), (std::vector<std::string>{(folder.path() / "run.out").string(),
                                                                (folder.path() / "run.in").string()}));
    EXPECT_TRUE(program.record().messages.empty());
}

// No xdg-open on the PATH: the box says what to install.
TEST(EditorCommands, AnEditorThatCannotBeStartedIsReportedWithWhy) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    program.open_data_file(folder.write("run.in", kData));
    program.use_desktop_opener();
    const std::string saved_path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", folder.path().c_str(), 1);
    program.perform(E::edit_data_file);
    setenv("PATH", saved_path.c_str(), 1);
    const auto messages = program.record().messages;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, 1);
    EXPECT_EQ(messages[0].text, "The text editor could not be started for " + (folder.path() / "run.in").string() +
                                    "\r\nxdg-open was not found: install the package xdg-utils.");
}

// The desktop's opener runs the editor in the foreground and, once it ends,
// finds no application: commands go on meanwhile, and the same box comes later.
TEST(EditorCommands, AnOpenerThatFailsLaterIsReportedForTheDataFileAndTheReport) {
    TempFolder folder;
    const auto closed = folder.path() / "editor closed";
    const auto opener = folder.write("xdg-open", "#!/bin/sh\nfor i in $(seq 500); do [ -e '" + closed.string() +
                                                     "' ] && exit 3; sleep 0.02; done\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    const std::string saved_path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (folder.path().string() + ":/usr/bin:/bin").c_str(), 1);
    ProgramRun program;
    program.start();
    program.use_desktop_opener();
    finished_run(program, folder, {"head", "x"});
    const auto chosen = std::chrono::steady_clock::now();
    program.perform(E::edit_data_file);
    program.perform(E::print_results);
    program.perform(E::weight_on);
    setenv("PATH", saved_path.c_str(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - chosen, std::chrono::seconds(2));
    EXPECT_EQ(global_types.nwt_global, 2);
    EXPECT_TRUE(program.record().messages.empty());
    folder.write("editor closed", "");
    ASSERT_TRUE(program.backend().wait_until([](const HeadlessRecord& r) { return r.messages.size() == 2; }));
    std::vector<std::string> texts;
    for (const RecordedMessage& message : program.record().messages) {
        EXPECT_EQ(message.kind, 1);
        texts.push_back(message.text);
    }
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "The text editor could not be started for " + (folder.path() / "run.in").string(),
                         "The text editor could not be started for " + (folder.path() / "run.out").string()}));
}

TEST(EditorCommands, AMissingFileGreysItsEntry) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    finished_run(program, folder, {"head", "x"});
    std::filesystem::remove(folder.path() / "run.in");
    std::filesystem::remove(folder.path() / "run.out");
    program.perform(E::edit_data_file);
    program.perform(E::print_results);
    EXPECT_FALSE(program.enabled(E::edit_data_file));
    EXPECT_FALSE(program.enabled(E::print_results));
    EXPECT_TRUE(program.editor_calls().empty());
    EXPECT_TRUE(program.record().messages.empty());
}

}  // namespace
}  // namespace imm
