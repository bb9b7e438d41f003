#include "app/main_program.h"

#include <algorithm>
#include <memory>

#include "app/check_model.h"
#include "app/file_commands.h"
#include "app/information_and_plot_commands.h"
#include "app/model_selection.h"
#include "app/program_state.h"
#include "app/splash_screen.h"
#include "support/shared_blocks.h"
#include "support/unit_files.h"
#include "window/window.h"

namespace imm {

namespace {

using E = MenuEntry;

constexpr std::size_t kMainWindowSlot = 255;

// A menu item's procedure: it stores the code and wakes the main thread. The
// weighting items set the flag themselves first, so it changes even mid-run.
std::function<void()> handle_command(const std::shared_ptr<ProgramState>& program, std::int64_t code) {
    return [program, code] {
        if (code == command::robust_weight_on) {
            global_types.nwt_global = 2;
        } else if (code == command::robust_weight_off) {
            global_types.nwt_global = 0;
        }
        program->command_code = code;
        stopidle();
    };
}

// Sets the code to "none", unless Quit has been chosen; false then. No wake-up
// follows: the loop then sleeps until the next choice instead of polling.
bool reset_command(ProgramState& program) {
    std::int64_t seen = program.command_code;
    while (seen != command::quit && !program.command_code.compare_exchange_weak(seen, command::none)) {
    }
    return seen != command::quit;
}

void start_up(const std::shared_ptr<ProgramState>& program) {
    ProgramState& p = *program;
    setapplicationdpiaware();
    const auto width = static_cast<std::int64_t>(static_cast<double>(getmaxwidth()) / 2.0);
    const auto height = static_cast<std::int64_t>(static_cast<double>(getmaxheight()) / 2.0);
    p.main_window = initwindow(width, height, kProgramTitle, width / 2, height / 2, true);
    p.posted_messages = std::make_shared<PostedMessages>(p.main_window);
    global_types.child_windows.fill(-1);
    global_types.child_windows[kMainWindowSlot] = p.main_window;
    global_types.idactivewin = getactivepage();
    setactivepage(global_types.idactivewin);
    setwindowtitle(kProgramTitle);
    p.menu = MainMenu::build([&program](std::int64_t code) { return handle_command(program, code); });
    setcolor(creatergb(0, 0, 0));
    setbkcolor(creatergb(255, 255, 255));
    clearviewport();
    settextstyle(6, 0, scaledpi(14));
    global_types.nwt_global = 0;
    p.text_area = createmultilinetextbox(5, 5, width - 10, height - 10, false);
    enabletextbox(p.text_area, true);
    splash();
    setbkcolor(creatergb(153, 204, 255));
    clearviewport();
    p.data_file_name = "data.in";
    p.results_unit = 100;
    p.run_status = 0;
    p.file_open = false;
    p.command_code = command::start;  // a choice during the splash is dropped
}

void warn_no_data_file(ProgramState& program) {
    program.menu.grey({E::run, E::rerun, E::run_curve_fit});
    dlgmessage(1, "No data file open - Warning!\r\nOpen a data file for input. ");
}

// Fits the chosen models and shows what follows from the run status.
void fit_and_report(ProgramState& program, bool rerun) {
    setwindowtitle("Wait, computing model...");
    global_types.brerun = rerun;
    program.run_status = 0;
    program.results_ready = false;
    program.options.fit(program.data_file_name, program.run_status);
    const std::int64_t status = program.run_status;
    if (status == run_finished) {
        setwindowtitle("Computation completed...Saving results");
        readtext(program);
        if (global_types.global_mdl_count == 1) {
            settextboxcursorposition(program.text_area, 0);
        }
        program.menu.grey(E::run);
        program.menu.enable(E::rerun);
        program.results_ready = true;
        startidle(400);
        refreshall();
    }
    run_follow_up(status);
    setwindowtitle(kProgramTitle);
    program.menu.enable(kMainEntries);
    if (rerun && status != run_finished) {
        program.menu.grey(E::rerun);
    } else {
        program.menu.enable(E::rerun);
    }
    program.menu.grey(E::run);
}

void run(ProgramState& program) {
    cleartext(program);
    const bool any_model = std::any_of(global_types.imdl.begin(), global_types.imdl.end(),
                                       [](const auto& flag) { return flag != 0; });
    if (!any_model) {
        model_lib();
        return;
    }
    if (!program.file_open) {
        warn_no_data_file(program);
        return;
    }
    if (check_model(program) != kRunGo) {
        return;
    }
    file_close_by_name(program.results_unit, program.data_file_name);
    file_close_by_unit(program.results_unit);
    fit_and_report(program, false);
}

void rerun(ProgramState& program) {
    cleartext(program);
    if (!program.file_open) {
        warn_no_data_file(program);
        return;
    }
    fit_and_report(program, true);
}

void save(ProgramState& program) {
    if (!results_ready_or_say_so(program)) {
        return;
    }
    const bool saved = savetext(program);
    file_close_by_name(program.results_unit, program.data_file_name);
    if (!saved) {
        return;  // Save Results stays, so that the user can try again
    }
    program.menu.enable({E::file_menu, E::print_results, E::about, E::file_about, E::quit, E::file_quit,
                         E::open_data_file, E::model_library, E::clear_display, E::file_xy_plot, E::open_data,
                         E::weight_menu, E::clear, E::xy_plot, E::rate_plot, E::residuals});
    program.menu.grey({E::run_curve_fit, E::save_results});
    program.menu.enable(E::rerun);
    program.menu.grey(E::run);
}

void print(ProgramState& program) {
    if (results_ready_or_say_so(program)) {
        printscreen(program);
    }
}

void open(ProgramState& program) {
    if (openfile(program)) {
        program.menu.enable({E::open_data, E::run, E::weight_menu, E::clear, E::quit, E::file_quit, E::about,
                             E::file_about, E::file_menu, E::edit_data_file, E::run_curve_fit, E::open_data_file,
                             E::model_library, E::clear_display});
        program.menu.grey({E::rerun, E::xy_plot, E::rate_plot, E::residuals, E::save_results, E::print_results,
                           E::file_xy_plot});
    } else {
        program.menu.grey({E::run, E::rerun, E::run_curve_fit});
        program.menu.enable({E::clear, E::clear_display, E::open_data, E::open_data_file});
    }
}

void clear(ProgramState& program) {
    if (!program.file_open) {
        program.menu.grey({E::clear, E::clear_display});
        return;
    }
    cleartext(program);
    global_types.nwt_global = 0;
    program.menu.enable({E::file_menu, E::run_curve_fit, E::about, E::file_about, E::quit, E::file_quit,
                         E::open_data_file, E::model_library, E::open_data, E::weight_menu});
    program.menu.grey({E::edit_data_file, E::save_results, E::print_results, E::clear_display, E::file_xy_plot,
                       E::run, E::rerun, E::clear, E::xy_plot, E::rate_plot, E::residuals});
}

// The item's procedure has set the flag; show_weighting shows it after the command.
void weighting(ProgramState& program) {
    program.menu.enable(E::weight_menu);
}

// Of the two Weight items, the one that changes the flag is enabled, the other
// greyed, also after a weighting item chosen during a command.
void show_weighting(const ProgramState& program) {
    const bool robust = global_types.nwt_global != 0;
    program.menu.enable(robust ? E::weight_off : E::weight_on);
    program.menu.grey(robust ? E::weight_on : E::weight_off);
}

void select_models(ProgramState& program) {
    model_lib();
    program.menu.enable({E::run, E::open_data});
    program.menu.grey(E::rerun);
    refreshall();
}

void carry_out(ProgramState& program, std::int64_t code) {
    switch (code) {
        case command::run: run(program); break;
        case command::rerun: rerun(program); break;
        case command::save: save(program); break;
        case command::print: print(program); break;
        case command::open: open(program); break;
        case command::clear: clear(program); break;
        case command::edit_data: editfile(program, global_types.data_file_name); break;
        case command::robust_weight_on:
        case command::robust_weight_off: weighting(program); break;
        case command::model_selection: select_models(program); break;
        case command::about:
        case command::model_library_text:
        case command::example_file:
        case command::mechanism:
        case command::help: information_command(code); break;
        case command::xy_plot:
        case command::residual_plot:
        case command::rate_plot: plot_command(program, code); break;
        default: break;  // none, quit, and codes no item stores
    }
}

}  // namespace

void main_program(const ProgramOptions& options) {
    const auto program = std::make_shared<ProgramState>();
    program->options = options;
    start_up(program);
    ProgramState& p = *program;
    while (true) {
        startidle(3);
        refreshall();
        const std::int64_t code = p.command_code;
        if (code == command::quit) {
            break;
        }
        carry_out(p, code);
        // A choice made meanwhile is lost, except Quit, which ends the program now.
        if (!reset_command(p)) {
            break;
        }
        show_weighting(p);
        if (p.options.command_done) {
            p.options.command_done(code);
        }
        refreshall();
        // Posted meanwhile; one posted from here on wakes the loop.
        p.posted_messages->show_all();
        loop();
    }
    file_close_by_unit(p.results_unit);
    closewindow(p.main_window);
}

}  // namespace imm
