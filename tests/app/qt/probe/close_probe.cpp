// Opens a main window with the close flag, starts an endless computation on the
// program thread, then closes the window's frame. The process must end at once
// with status 0, without running static destructors.
#include <QApplication>
#include <QWidget>
#include <cstdio>

#include "app/qt/run_qt_program.h"
#include "window/window.h"

namespace {

struct Destructor {
    ~Destructor() { std::puts("static destructor ran"); }
} const destructor;

}  // namespace

int main(int argc, char** argv) {
    return imm::run_qt_program(argc, argv, [] {
        imm::initwindow(300, 200, "Main", 0, 0, true);
        std::puts("computing");
        std::fflush(stdout);
        QMetaObject::invokeMethod(qApp, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                w->close();
            }
        }, Qt::QueuedConnection);
        volatile double sum = 0.0;
        for (;;) {
            sum = sum + 1.0;
        }
    });
}
