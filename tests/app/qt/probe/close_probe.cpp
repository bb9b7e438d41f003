// Opens a main window with the close flag, prints "computing" and computes until
// it is ended: with no arguments it closes the window's frame; with "close FILE"
// or "wait FILE" it runs model 1 on the data file up to the model's section in the
// temporary report, then closes the frame or waits for a signal.
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <string>

#include "app/qt/run_qt_program.h"
#include "engine/regression_driver.h"
#include "support/shared_blocks.h"
#include "window/window.h"

namespace {

struct Destructor {
    ~Destructor() { std::puts("static destructor ran"); }
} const destructor;

[[noreturn]] void compute_until_ended(bool close_window) {
    std::puts("computing");
    std::fflush(stdout);
    if (close_window) {
        QMetaObject::invokeMethod(qApp, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                w->close();
            }
        }, Qt::QueuedConnection);
    }
    volatile double sum = 0.0;
    for (;;) {
        sum = sum + 1.0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "close";
    std::string data = argc > 2 ? argv[2] : "";
    return imm::run_qt_program(argc, argv, [&] {
        imm::initwindow(300, 200, "Main", 0, 0, true);
        if (data.empty()) compute_until_ended(true);
        imm::global_types.imdl[0] = 1;
        imm::global_types.imdlno = 1;
        imm::RunOptions options;
        options.on_model_reported = [&] { compute_until_ended(mode == "close"); };
        imm::RandomContext random = imm::RandomContext::seeded(1);
        std::int64_t status = 0;
        imm::sorvek_with(data, status, random, options);
    });
}
