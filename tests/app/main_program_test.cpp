#include <gtest/gtest.h>

#include <future>
#include <set>

#include "app/command_codes.h"
#include "app/splash_screen.h"
#include "program_harness.h"

namespace imm {
namespace {

using testing_support::ProgramRun;
using testing_support::TempFolder;
using E = MenuEntry;

const std::string kTitle = "Sorvek-IMM: Enzyme Progress of Reaction Modeling Software";
const std::string kRisingData = "0 50 0.5\n40 50 13.7\n120 50 32.7\n0 100 -0.6\n40 100 14.8\n120 100 37.8\n";

TEST(MainProgram, StartsWithTheMainWindowMenuBarTextAreaAndSplash) {
    ProgramRun program;
    program.start();
    const auto r = program.record();

    const RecordedWindow& main = r.windows.at(0);
    EXPECT_EQ(main.layout.width, 960);
    EXPECT_EQ(main.layout.height, 520);
    EXPECT_EQ(main.layout.x, 480);
    EXPECT_EQ(main.layout.y, 260);
    EXPECT_TRUE(main.layout.close_flag);
    EXPECT_EQ(main.layout.title, kTitle);
    EXPECT_EQ(main.title, kTitle);
    EXPECT_EQ(main.background, creatergb(153, 204, 255));

    ASSERT_EQ(r.text_areas.size(), 1u);
    const RecordedTextArea& area = r.text_areas.begin()->second;
    EXPECT_EQ(area.window, 0);
    EXPECT_EQ(area.rect.x, 5);
    EXPECT_EQ(area.rect.y, 5);
    EXPECT_EQ(area.rect.width, 950);
    EXPECT_EQ(area.rect.height, 510);
    EXPECT_FALSE(area.wrap);
    EXPECT_TRUE(area.enabled);

    const RecordedWindow& splash = r.windows.at(1);
    EXPECT_EQ(splash.layout.title, "Sorvek-Ki");
    EXPECT_EQ(splash.titles.back(), "Sorvek-IMM");
    EXPECT_EQ(splash.layout.width, 480);
    EXPECT_EQ(splash.layout.height, 547);  // 1040 / 1.9 in single precision
    EXPECT_EQ(splash.layout.x, 480);
    EXPECT_EQ(splash.layout.y, 273);
    EXPECT_FALSE(splash.layout.close_flag);
    EXPECT_FALSE(splash.open);

    EXPECT_EQ(global_types.child_windows[255], 0);
    for (std::size_t slot = 0; slot < 255; ++slot) {
        EXPECT_EQ(global_types.child_windows[slot], -1);
    }
}

TEST(MainProgram, MenuBarHoldsTheEntriesInOrderWithTheirStatesAtStart) {
    struct Expected {
        std::string title;
        std::string parent;  // "" for the bar
        bool is_menu;
        bool enabled;
    };
    const std::vector<Expected> expected = {
        {"File", "", true, true},
        {"OpenData", "", false, true},
        {"Models", "", false, true},
        {"Weight", "", true, false},
        {"Run", "", false, false},
        {"Rerun", "", false, false},
        {"Clear", "", false, false},
        {"XY_Plot", "", false, false},
        {"Rate_Plot", "", false, false},
        {"Residuals", "", false, false},
        {"Help", "", false, true},
        {"About", "", false, true},
        {"Quit", "", false, true},
        {"Turn-ON Robust Wt", "Weight", false, true},
        {"Turn-OFF Robust Wt", "Weight", false, false},
        {"Open Data File", "File", false, true},
        {"Edit Data File", "File", false, false},
        {"Run Curve-fit", "File", false, false},
        {"XY Plot", "File", false, false},
        {"Clear Display", "File", false, false},
        {"Save Results", "File", false, false},
        {"Print Results", "File", false, false},
        {"Enzymatic Mechanism", "File", false, true},
        {"Model Library", "File", false, true},
        {"Example Data File", "File", false, true},
        {"About", "File", false, true},
        {"Quit", "File", false, true},
    };
    ProgramRun program;
    program.start();
    const auto entries = program.record().menu_entries;
    ASSERT_EQ(entries.size(), expected.size() + 1);
    const RecordedMenuEntry& bar = entries[0];
    EXPECT_EQ(bar.parent, -1);
    EXPECT_TRUE(bar.title.empty());
    std::map<std::int64_t, std::string> titles = {{bar.id, ""}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const RecordedMenuEntry& entry = entries[i + 1];
        titles[entry.id] = entry.title;
        SCOPED_TRACE(expected[i].title);
        EXPECT_EQ(entry.title, expected[i].title);
        EXPECT_EQ(titles.at(entry.parent), expected[i].parent);
        EXPECT_EQ(entry.is_menu, expected[i].is_menu);
        EXPECT_EQ(entry.enabled, expected[i].enabled);
    }
}

TEST(MainProgram, SplashOnASmallScreenIsWideEnoughForItsText) {
    ProgramRun program({1366, 768});
    program.start();
    const RecordedWindow splash = program.record().windows.at(1);
    const std::int64_t text_width = program.backend().text_width(FontStyle{7, 0, 14}, splash_text());
    ASSERT_GT(text_width, 1366 / 4);
    ASSERT_FALSE(splash.texts.empty());
    EXPECT_GE(splash.texts.front().x, 0);
    EXPECT_LE(splash.texts.front().x + text_width, splash.layout.width);
    EXPECT_EQ(splash.layout.x, 1366 / 4);
    EXPECT_EQ(splash.layout.height, 404);  // 768 / 1.9 in single precision
}

TEST(MainProgram, SplashShowsItsTextAndAChoiceDuringItEndsItAndIsDropped) {
    ProgramRun program;
    // The program is started by hand here: the splash ends through a menu choice.
    ProgramOptions options;
    std::atomic<std::int64_t> selections{0};
    std::promise<void> started;
    options.fit = [](std::string&, std::int64_t&) {};
    options.start_editor = [](const std::string&, OpenerEnded) { return std::string(); };
    options.command_done = [&](std::int64_t code) {
        if (code == command::model_selection) ++selections;
        if (code == command::start) started.set_value();
    };
    std::thread thread([&] { main_program(options); });
    ASSERT_TRUE(program.backend().wait_until([](const HeadlessRecord& r) {
        return r.windows.count(1) > 0 && !r.windows.at(1).texts.empty();
    }));
    const auto splash = program.record().windows.at(1);
    EXPECT_EQ(splash.texts.front().text, splash_text());
    EXPECT_EQ(splash.texts.front().horizontal, 0);
    EXPECT_EQ(splash.texts.front().vertical, 2);
    EXPECT_EQ(splash.background, creatergb(242, 245, 250));

    program.backend().choose("Models");  // would open the selection window
    ASSERT_TRUE(program.backend().wait_until([](const HeadlessRecord& r) { return !r.windows.at(1).open; },
                                             std::chrono::seconds(5)));
    ASSERT_EQ(started.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    program.backend().choose(program.record().menu_entries.at(13).id);  // Quit
    thread.join();
    EXPECT_EQ(selections, 0);
    EXPECT_EQ(program.window_titled("Select Models"), -1);
}

TEST(MainProgram, SplashTextIsTheProgramsOwn) {
    const std::string text = splash_text();
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "*Sorvek-IMM\u2122  - Enzyme Progress of Reaction Modeling Software");
    EXPECT_NE(text.find("\r\n\r\nSorvek-IMM is a nonlinear regression optimization routine\r\nusing Differential "
                        "Evolution, Conjugate Gradient, and\r\nQuadratic-programming techniques to find the best-fit\r\n"
                        "parameter values to progress curve models.\r\n\r\nDisclaimer of 'False Positive' virus:"),
              std::string::npos);
    EXPECT_NE(text.find("NO CLAIM OR WARRANTY IS MADE WITH RESPECT\r\nTO THE ACCURACY AND FITNESS OF THIS\r\nSOFTWARE "
                        "FOR A SPECIFIC APPLICATION, AND\r\nTHE RESPONSIBILITY IS ENTIRELY WITH THE USER\r\nFOR ITS "
                        "INSTALLATION, USE, AND FUNCTIONALITY.\r\n\r\n"),
              std::string::npos);
    EXPECT_TRUE(text.ends_with(" Version 5.2"));
    EXPECT_LE(text.size(), 1300u);
}

// ---- enabled and greyed entries after each command and run status

struct Scenario {
    std::string name;
    std::function<void(ProgramRun&, const TempFolder&)> steps;
    std::vector<E> on;
    std::vector<E> off;
};

void PrintTo(const Scenario& c, std::ostream* os) { *os << c.name; }

void open_rising_file(ProgramRun& p, const TempFolder& folder) {
    p.open_data_file(folder.write("run.in", kRisingData));
}

void open_and_choose(ProgramRun& p, const TempFolder& folder) {
    open_rising_file(p, folder);
    p.select_models("Product");
}

void run_with_status(ProgramRun& p, const TempFolder& folder, std::int64_t status) {
    open_and_choose(p, folder);
    p.set_fit_status(status);
    p.perform(E::run);
}

void save_after_run(ProgramRun& p, const TempFolder& folder, std::optional<std::string> chosen) {
    run_with_status(p, folder, 0);
    p.backend().answer_file_dialog(std::move(chosen));
    p.perform(E::save_results);
}

const std::vector<E> kAllMain = {E::file_menu,     E::edit_data_file, E::run_curve_fit, E::save_results,
                                 E::print_results, E::about,          E::file_about,    E::quit,
                                 E::file_quit,     E::open_data_file, E::model_library, E::clear_display,
                                 E::file_xy_plot,  E::open_data,      E::weight_menu,   E::clear,
                                 E::xy_plot,       E::rate_plot,      E::residuals};

std::vector<E> with(std::vector<E> entries, std::initializer_list<E> more) {
    entries.insert(entries.end(), more);
    return entries;
}

std::vector<E> without(std::vector<E> entries, std::initializer_list<E> less) {
    std::erase_if(entries, [&](E e) { return std::find(less.begin(), less.end(), e) != less.end(); });
    return entries;
}

class MenuStates : public testing::TestWithParam<Scenario> {};

TEST_P(MenuStates, AfterTheCommand) {
    const Scenario& scenario = GetParam();
    TempFolder folder;
    ProgramRun program;
    program.start();
    scenario.steps(program, folder);
    const auto states = program.menu_states();
    for (const E e : scenario.on) {
        EXPECT_TRUE(states[static_cast<std::size_t>(e)]) << main_menu_entries()[static_cast<std::size_t>(e)].title;
    }
    for (const E e : scenario.off) {
        EXPECT_FALSE(states[static_cast<std::size_t>(e)]) << main_menu_entries()[static_cast<std::size_t>(e)].title;
    }
}

const Scenario kScenarios[] = {
    {"OpenChosen", open_rising_file,
     {E::open_data, E::run, E::weight_menu, E::clear, E::quit, E::file_quit, E::about, E::file_about, E::file_menu,
      E::edit_data_file, E::run_curve_fit, E::open_data_file, E::model_library, E::clear_display},
     {E::rerun, E::xy_plot, E::rate_plot, E::residuals, E::save_results, E::print_results, E::file_xy_plot}},
    {"OpenCancelled",
     [](ProgramRun& p, const TempFolder&) {
         p.backend().answer_file_dialog(std::nullopt);
         p.perform(E::open_data_file);
     },
     {E::clear, E::clear_display, E::open_data, E::open_data_file},
     {E::run, E::rerun, E::run_curve_fit}},
    {"ModelsBeforeAnyFile", [](ProgramRun& p, const TempFolder&) { p.select_models("Substrate"); },
     {E::run, E::open_data},
     {E::rerun}},
    {"RunWithoutFile",
     [](ProgramRun& p, const TempFolder&) {
         p.select_models("Product");
         p.perform(E::run);
     },
     {E::open_data},
     {E::run, E::rerun, E::run_curve_fit}},
    {"RunFinished", [](ProgramRun& p, const TempFolder& f) { run_with_status(p, f, 0); }, with(kAllMain, {E::rerun}),
     {E::run}},
    {"RunBadData", [](ProgramRun& p, const TempFolder& f) { run_with_status(p, f, 3); }, with(kAllMain, {E::rerun}),
     {E::run}},
    {"RunModelLimits", [](ProgramRun& p, const TempFolder& f) { run_with_status(p, f, 5); },
     with(kAllMain, {E::rerun}), {E::run}},
    {"RerunFinished",
     [](ProgramRun& p, const TempFolder& f) {
         run_with_status(p, f, 0);
         p.perform(E::rerun);
     },
     with(kAllMain, {E::rerun}), {E::run}},
    {"RerunFailed",
     [](ProgramRun& p, const TempFolder& f) {
         run_with_status(p, f, 0);
         p.set_fit_status(2);
         p.perform(E::rerun);
     },
     kAllMain, {E::run, E::rerun}},
    {"Save", [](ProgramRun& p, const TempFolder& f) { save_after_run(p, f, (f.path() / "saved.txt").string()); },
     with(without(kAllMain, {E::edit_data_file, E::run_curve_fit, E::save_results}), {E::rerun}),
     {E::run_curve_fit, E::save_results, E::run}},
    // Nothing saved: the entries stay as the run left them, so that the user can save again.
    {"SaveCancelled", [](ProgramRun& p, const TempFolder& f) { save_after_run(p, f, std::nullopt); },
     with(kAllMain, {E::rerun}), {E::run}},
    {"SaveFailed", [](ProgramRun& p, const TempFolder& f) { save_after_run(p, f, f.path().string()); },
     with(kAllMain, {E::rerun}), {E::run}},
    {"ClearWithFile",
     [](ProgramRun& p, const TempFolder& f) {
         run_with_status(p, f, 0);
         p.perform(E::weight_on);
         p.perform(E::clear);
     },
     {E::file_menu, E::run_curve_fit, E::about, E::file_about, E::quit, E::file_quit, E::open_data_file,
      E::model_library, E::weight_on, E::open_data, E::weight_menu},
     {E::edit_data_file, E::save_results, E::print_results, E::clear_display, E::file_xy_plot, E::weight_off, E::run,
      E::rerun, E::clear, E::xy_plot, E::rate_plot, E::residuals}},
    {"ClearWithoutFile",
     [](ProgramRun& p, const TempFolder&) {
         p.backend().answer_file_dialog(std::nullopt);
         p.perform(E::open_data);  // enables Clear, keeps no file open
         p.perform(E::clear);
     },
     {E::open_data},
     {E::clear, E::clear_display}},
    {"WeightOn", [](ProgramRun& p, const TempFolder& f) {
         open_rising_file(p, f);
         p.perform(E::weight_on);
     },
     {E::weight_menu, E::weight_off}, {E::weight_on}},
    {"WeightOff",
     [](ProgramRun& p, const TempFolder& f) {
         open_rising_file(p, f);
         p.perform(E::weight_on);
         p.perform(E::weight_off);
     },
     {E::weight_menu, E::weight_on}, {E::weight_off}},
};

INSTANTIATE_TEST_SUITE_P(AfterEachCommand, MenuStates, testing::ValuesIn(kScenarios),
                         [](const testing::TestParamInfo<Scenario>& info) { return info.param.name; });

// ---- run flow and messages

TEST(MainProgram, RunWithoutAChosenModelOpensTheSelectionWindowAndDoesNotFit) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    open_rising_file(program, folder);
    program.choose(E::run);
    ASSERT_TRUE(program.wait_window_open("Select Models"));
    program.backend().choose(program.button("Close"));
    ASSERT_TRUE(program.wait_done(command::run, 1));
    EXPECT_TRUE(program.fit().names.empty());
    EXPECT_TRUE(program.record().messages.empty());
}

TEST(MainProgram, RunWithoutADataFileWarnsAndDoesNotFit) {
    ProgramRun program;
    program.start();
    program.select_models("Product");
    program.perform(E::run);
    const auto messages = program.record().messages;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, 1);
    EXPECT_EQ(messages[0].caption, "Information");
    EXPECT_EQ(messages[0].text, "No data file open - Warning!\r\nOpen a data file for input. ");
    EXPECT_TRUE(program.fit().names.empty());

    program.perform(E::rerun);
    EXPECT_EQ(program.record().messages.size(), 2u);
    EXPECT_TRUE(program.fit().names.empty());
}

TEST(MainProgram, RunShowsProgressTitlesAndTheReportThenTheProgramTitle) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    program.fit().report_lines = {"head line", "  Km = 1", "  Vm = 2"};
    run_with_status(program, folder, 0);
    const auto titles = program.record().windows.at(0).titles;
    ASSERT_GE(titles.size(), 4u);
    const std::vector<std::string> last(titles.end() - 3, titles.end());
    EXPECT_EQ(last, (std::vector<std::string>{"Wait, computing model...", "Computation completed...Saving results",
                                              kTitle}));
    EXPECT_EQ(program.text_area(), "  Km = 1\r\n  Vm = 2\r\n");
    EXPECT_EQ(program.record().text_areas.begin()->second.cursor, 0);
    ASSERT_EQ(program.fit().names.size(), 1u);
    EXPECT_EQ(program.fit().names[0], (folder.path() / "run.in").string());
    EXPECT_FALSE(program.fit().reruns[0]);

    program.perform(E::rerun);
    ASSERT_EQ(program.fit().reruns.size(), 2u);
    EXPECT_TRUE(program.fit().reruns[1]);
    EXPECT_EQ(program.main_title(), kTitle);
}

TEST(MainProgram, AFailedRunLeavesTheTextAreaEmptyAndTheTitleRestored) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    program.fit().report_lines = {"head", "body"};
    run_with_status(program, folder, 0);
    ASSERT_FALSE(program.text_area().empty());
    program.set_fit_status(3);
    program.perform(E::run_curve_fit);
    EXPECT_EQ(program.text_area(), "");
    EXPECT_EQ(program.main_title(), kTitle);
}

// ---- the command loop

TEST(CommandLoop, ChoicesDuringACommandAreLostButTheWeightingFlagChangesAtOnce) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    program.fit().report_lines = {"head", "report"};
    open_and_choose(program, folder);
    program.fit().hold = true;
    program.choose(E::run);
    ASSERT_TRUE(program.wait_inside_fit());

    program.choose(E::weight_on);
    EXPECT_EQ(global_types.nwt_global, 2);
    program.choose(E::open_data_file);  // would ask for a file
    program.choose(E::clear);           // would empty the text area
    program.choose(E::models);          // would open the selection window
    program.release_fit();
    ASSERT_TRUE(program.wait_done(command::run, 1));
    // One more pass of the loop: nothing else is carried out.
    program.perform(E::help);

    EXPECT_EQ(global_types.nwt_global, 2);
    EXPECT_EQ(program.done_count(command::open), 1);  // the one before the run
    EXPECT_EQ(program.done_count(command::clear), 0);
    EXPECT_EQ(program.done_count(command::robust_weight_on), 0);
    EXPECT_EQ(program.done_count(command::model_selection), 1);  // the one before the run
    EXPECT_EQ(program.record().file_dialogs.size(), 1u);
    EXPECT_EQ(program.text_area(), "report\r\n");
    // The weighting command was lost; its items show the flag all the same.
    EXPECT_TRUE(program.enabled(E::weight_off) && program.enabled(E::weight_menu));
    EXPECT_FALSE(program.enabled(E::weight_on));
}

TEST(CommandLoop, TheWeightingTakenByTheFitIsTheFlagAtItsStart) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    open_and_choose(program, folder);
    program.perform(E::weight_on);
    program.perform(E::run);
    program.perform(E::weight_off);
    program.perform(E::rerun);
    EXPECT_EQ(program.fit().weightings, (std::vector<std::int64_t>{2, 0}));
}

TEST(CommandLoop, QuitDuringACommandEndsTheProgramWhenTheCommandHasEnded) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    open_and_choose(program, folder);
    program.fit().hold = true;
    program.choose(E::run);
    ASSERT_TRUE(program.wait_inside_fit());
    program.choose(E::file_quit);
    EXPECT_FALSE(program.finished());
    program.release_fit();
    program.join();
    EXPECT_TRUE(program.finished());
    const auto r = program.record();
    EXPECT_FALSE(r.windows.at(0).open);
    EXPECT_EQ(r.windows.at(0).titles.back(), kTitle);  // the run had ended
}

TEST(CommandLoop, QuitWhenIdleClosesTheMainWindow) {
    ProgramRun program;
    program.start();
    program.quit();
    EXPECT_TRUE(program.finished());
    EXPECT_FALSE(program.record().windows.at(0).open);
}

}  // namespace
}  // namespace imm
