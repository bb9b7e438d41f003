// Runs the desktop program on a thread of its own over the headless back end and
// plays the user from the test's thread: menu choices, buttons, dialogs answers.
// The fit and the text editor are scripted.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/main_menu.h"
#include "app/main_program.h"
#include "support/shared_blocks.h"
#include "window/headless_backend.h"
#include "window/window.h"

namespace imm::testing_support {

// What the scripted fit sees and does.
struct ScriptedFit {
    std::int64_t status = 0;
    std::vector<std::string> report_lines;  // written to the report on status 0
    std::int64_t model_count = 1;
    bool hold = false;                      // wait for release() inside the fit
    std::vector<std::string> names;         // data file names it was called with
    std::vector<std::int64_t> weightings;   // nwt_global at each call
    std::vector<bool> reruns;
    bool inside = false;
    bool released = false;
};

class ProgramRun {
public:
    explicit ProgramRun(ScreenSize screen = {1920, 1040});
    ~ProgramRun();

    HeadlessBackend& backend() { return session_.backend(); }
    HeadlessRecord record() const { return session_.record(); }

    // Starts the program and ends the splash by closing its frame.
    void start();
    // Chooses the menu item or button and waits until the command loop has carried
    // out a command of that code.
    void perform(const std::string& title, std::int64_t code);
    void perform(MenuEntry entry);
    // Chooses without waiting.
    void choose(MenuEntry entry);
    // Waits until the command loop has carried out the code n times in all.
    bool wait_done(std::int64_t code, std::int64_t times);
    std::int64_t done_count(std::int64_t code);

    // The fit script.
    ScriptedFit& fit() { return fit_; }
    void set_fit_status(std::int64_t status);
    bool wait_inside_fit();
    void release_fit();

    // The editor script.
    std::vector<std::string> editor_calls();
    // The program's own opener (xdg-open on the PATH) instead of the script.
    void use_desktop_opener();

    // Opens the data file through the open dialog.
    void open_data_file(const std::filesystem::path& file);
    // Chooses models in the selection window: the named button, then "Close".
    void select_models(const std::string& button);
    // The last button of that text (buttons of closed windows stay in the record).
    std::int64_t button(const std::string& text) const;
    std::int64_t window_titled(const std::string& title) const;
    bool wait_window_open(const std::string& title);

    // Every main menu entry's state, in creation order.
    std::vector<bool> menu_states() const;
    bool enabled(MenuEntry entry) const { return menu_states()[static_cast<std::size_t>(entry)]; }
    std::string main_title() const;
    std::string text_area() const;

    // Quits and waits for the program's thread.
    void quit();
    bool finished() const { return finished_; }
    void join();

private:
    void fit_call(std::string& name, std::int64_t& status);

    HeadlessSession session_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::int64_t, std::int64_t> done_;
    ScriptedFit fit_;
    std::vector<std::string> editor_calls_;
    bool desktop_opener_ = false;
    std::thread thread_;
    std::atomic<bool> finished_{false};
};

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path write(const std::string& name, const std::string& text) const;

private:
    std::filesystem::path path_;
};

std::string read_file(const std::filesystem::path& file);

// Resets the model flags and weighting of the shared module.
void reset_choices();

}  // namespace imm::testing_support
