// Helpers of the Qt tests: one application on the test's main thread (the GUI
// thread), a fresh Qt back end per test, a program thread beside it, and event
// pumping while the test plays the user.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "app/window/qt/qt_backend.h"
#include "app/window/window_backend.h"

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
