// Helpers of the Qt tests: one application on the test's main thread (the GUI
// thread), a fresh Qt back end per test, a program thread beside it, and event
// pumping while the test plays the user.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "app/main_program.h"
#include "app/qt/layer_window.h"
#include "app/qt/qt_backend.h"
#include "window/window_backend.h"

namespace imm {

inline QApplication& test_application() {
    static int argc = 1;
    static char name[] = "test_qt";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Processes events until the condition holds; false when it did not within the limit.
inline bool pump_until(const std::function<bool()>& condition,
                       std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

template <typename T>
T* find_window() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = dynamic_cast<T*>(w); found && found->isVisible()) {
            return found;
        }
    }
    return nullptr;
}

inline LayerWindow* window_titled(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = dynamic_cast<LayerWindow*>(w); found && found->isVisible() && found->windowTitle() == title) {
            return found;
        }
    }
    return nullptr;
}

// Closes the program's splash early and returns the main window; null when
// they did not come.
inline LayerWindow* main_window_after_splash() {
    LayerWindow* splash = nullptr;
    if (!pump_until([&] { return (splash = window_titled("Sorvek-IMM")) != nullptr; })) {
        return nullptr;
    }
    splash->close();
    LayerWindow* main = nullptr;
    const bool shown =
        pump_until([&] { return (main = window_titled(kProgramTitle)) != nullptr && !window_titled("Sorvek-IMM"); });
    return shown ? main : nullptr;
}

inline QAction* bar_action(LayerWindow* w, const QString& text) {
    for (QAction* action : w->menuBar()->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

inline QPushButton* push_button(QWidget* w, const QString& text) {
    for (QPushButton* button : w->findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

// Chooses the entry until the condition holds: a choice made while the previous
// command is still ending is lost, as the command loop intends.
inline bool choose_until(QAction* action, const std::function<bool()>& condition) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        action->trigger();
        if (pump_until(condition, std::chrono::seconds(1))) {
            return true;
        }
    }
    return false;
}

// Opens the model-selection window from the main window's menu and waits for
// its buttons; null when it did not come.
inline LayerWindow* open_model_selection(LayerWindow* main) {
    LayerWindow* selection = nullptr;
    if (!choose_until(bar_action(main, "Models"),
                      [&] { return (selection = window_titled("Select Models")) != nullptr; })) {
        return nullptr;
    }
    return pump_until([&] { return push_button(selection, "Close") != nullptr; }) ? selection : nullptr;
}

// Where a screenshot of that name goes: the build folder's screenshots/.
inline QString screenshot_file(const std::string& name) {
    const auto folder = std::filesystem::path(SORVEK_BINARY_DIR) / "screenshots";
    std::filesystem::create_directories(folder);
    return QString::fromStdString((folder / name).string());
}

inline std::string file_text(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The report's lines after the first, each ended by a line feed, as the text area shows them.
inline QString shown_report(const std::string& report) {
    std::istringstream in(report);
    std::string line;
    std::getline(in, line);
    QString shown;
    while (std::getline(in, line)) {
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        shown += QString::fromStdString(line) + '\n';
    }
    return shown;
}

// The program's thread: runs the routine beside the GUI thread.
class ProgramThread {
public:
    explicit ProgramThread(std::function<void()> routine)
        : thread_([this, routine = std::move(routine)] {
              routine();
              done_ = true;
          }) {}
    // After a failed check the routine may still wait for the GUI: serve it.
    ~ProgramThread() {
        if (thread_.joinable() && !finish()) {
            thread_.detach();
        }
    }
    bool done() const { return done_; }
    // Pumps events until the routine has returned.
    bool finish() {
        const bool finished = pump_until([this] { return done_.load(); });
        if (finished) {
            thread_.join();
        }
        return finished;
    }

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

class QtLayerTest : public testing::Test {
protected:
    void SetUp() override {
        test_application();
        install_window_backend(std::make_shared<QtBackend>());
    }
    void TearDown() override {
        install_window_backend(nullptr);
        QList<QPointer<QWidget>> left;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            left.append(w);
        }
        for (const QPointer<QWidget>& w : left) {
            delete w.data();
        }
        QCoreApplication::processEvents();
    }
};

}  // namespace imm
