#include "program_harness.h"

#include <fstream>
#include <random>
#include <sstream>

#include "app/command_codes.h"
#include "app/outside_editor.h"
#include "engine/data_file_names.h"

namespace imm::testing_support {

namespace {
constexpr auto kWait = std::chrono::seconds(10);
constexpr std::int64_t kSplashWindow = 1;
}  // namespace

ProgramRun::ProgramRun(ScreenSize screen) {
    backend().set_screen_size(screen);
    reset_choices();
}

ProgramRun::~ProgramRun() {
    if (thread_.joinable()) {
        release_fit();
        if (!finished_) {
            choose(MenuEntry::quit);
        }
        thread_.join();
    }
}

void ProgramRun::start() {
    ProgramOptions options;
    options.fit = [this](std::string& name, std::int64_t& status) { fit_call(name, status); };
    options.start_editor = [this](const std::string& file, OpenerEnded ended) {
        std::lock_guard lock(mutex_);
        editor_calls_.push_back(file);
        return desktop_opener_ ? start_text_editor(file, std::move(ended)) : std::string();
    };
    options.command_done = [this](std::int64_t code) {
        {
            std::lock_guard lock(mutex_);
            ++done_[code];
        }
        changed_.notify_all();
    };
    thread_ = std::thread([this, options] {
        main_program(options);
        finished_ = true;
        changed_.notify_all();
    });
    ASSERT_TRUE(backend().wait_until([](const HeadlessRecord& r) { return r.windows.count(kSplashWindow) > 0; }));
    backend().close_frame(kSplashWindow);
    ASSERT_TRUE(wait_done(command::start, 1));
}

void ProgramRun::perform(const std::string& title, std::int64_t code) {
    const std::int64_t before = done_count(code);
    backend().choose(title);
    EXPECT_TRUE(wait_done(code, before + 1)) << title;
}

void ProgramRun::perform(MenuEntry entry) {
    const std::int64_t code = main_menu_entries()[static_cast<std::size_t>(entry)].code;
    const std::int64_t before = done_count(code);
    choose(entry);
    EXPECT_TRUE(wait_done(code, before + 1)) << main_menu_entries()[static_cast<std::size_t>(entry)].title;
}

void ProgramRun::choose(MenuEntry entry) {
    // The record's first menu entry is the bar itself.
    backend().choose(record().menu_entries.at(static_cast<std::size_t>(entry) + 1).id);
}

bool ProgramRun::wait_done(std::int64_t code, std::int64_t times) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWait, [&] { return done_[code] >= times; });
}

std::int64_t ProgramRun::done_count(std::int64_t code) {
    std::lock_guard lock(mutex_);
    return done_[code];
}

void ProgramRun::set_fit_status(std::int64_t status) {
    std::lock_guard lock(mutex_);
    fit_.status = status;
}

bool ProgramRun::wait_inside_fit() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWait, [&] { return fit_.inside; });
}

void ProgramRun::release_fit() {
    {
        std::lock_guard lock(mutex_);
        fit_.released = true;
    }
    changed_.notify_all();
}

void ProgramRun::fit_call(std::string& name, std::int64_t& status) {
    std::unique_lock lock(mutex_);
    fit_.names.push_back(name);
    fit_.weightings.push_back(global_types.nwt_global);
    fit_.reruns.push_back(global_types.brerun);
    fit_.inside = true;
    changed_.notify_all();
    if (fit_.hold) {
        changed_.wait(lock, [&] { return fit_.released; });
    }
    fit_.inside = false;
    fit_.released = false;
    status = fit_.status;
    if (status == 0) {
        std::ofstream report(report_name(name), std::ios::trunc);
        for (const std::string& line : fit_.report_lines) {
            report << line << "\n";
        }
        global_types.global_mdl_count = fit_.model_count;
    }
}

std::vector<std::string> ProgramRun::editor_calls() {
    std::lock_guard lock(mutex_);
    return editor_calls_;
}

void ProgramRun::use_desktop_opener() {
    std::lock_guard lock(mutex_);
    desktop_opener_ = true;
}

void ProgramRun::open_data_file(const std::filesystem::path& file) {
    backend().answer_file_dialog(file.string());
    perform(MenuEntry::open_data);
}

void ProgramRun::select_models(const std::string& button_text) {
    const std::int64_t before = done_count(command::model_selection);
    choose(MenuEntry::models);
    ASSERT_TRUE(wait_window_open("Select Models"));
    backend().choose(button(button_text));
    backend().choose(button("Close"));
    ASSERT_TRUE(wait_done(command::model_selection, before + 1));
}

std::int64_t ProgramRun::button(const std::string& text) const {
    const auto r = record();
    for (auto it = r.buttons.rbegin(); it != r.buttons.rend(); ++it) {
        if (it->text == text) {
            return it->id;
        }
    }
    return -1;
}

std::int64_t ProgramRun::window_titled(const std::string& title) const {
    const auto r = record();
    for (auto it = r.windows.rbegin(); it != r.windows.rend(); ++it) {
        if (it->second.layout.title == title) {
            return it->first;
        }
    }
    return -1;
}

// Open, with its last push button created (its radio buttons are set by then).
bool ProgramRun::wait_window_open(const std::string& title) {
    return backend().wait_until([&](const HeadlessRecord& r) {
        for (const auto& [id, window] : r.windows) {
            if (window.layout.title == title && window.open) {
                for (const RecordedButton& b : r.buttons) {
                    if (b.window == id && b.text == "Close") {
                        return true;
                    }
                }
            }
        }
        return false;
    });
}

std::vector<bool> ProgramRun::menu_states() const {
    const auto r = record();
    std::vector<bool> states;
    for (std::size_t i = 1; i < r.menu_entries.size(); ++i) {
        states.push_back(r.menu_entries[i].enabled);
    }
    return states;
}

std::string ProgramRun::main_title() const {
    return record().windows.at(0).title;
}

std::string ProgramRun::text_area() const {
    const auto r = record();
    return r.text_areas.empty() ? std::string() : r.text_areas.begin()->second.contents;
}

void ProgramRun::quit() {
    choose(MenuEntry::quit);
    join();
}

void ProgramRun::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

TempFolder::TempFolder() {
    std::random_device entropy;
    path_ = std::filesystem::temp_directory_path() / ("sorvek_app_test_" + std::to_string(entropy()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempFolder::write(const std::string& name, const std::string& text) const {
    const auto file = path_ / name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

std::string read_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void reset_choices() {
    for (auto& flag : global_types.imdl) {
        flag = 0;
    }
    global_types.imdlno = 0;
    global_types.nwt_global = 0;
    global_types.global_mdl_count = 0;
    global_types.brerun = false;
}

}  // namespace imm::testing_support
