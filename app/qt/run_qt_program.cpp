#include "app/qt/run_qt_program.h"

#include <signal.h>

#include <QApplication>
#include <thread>

#include "app/qt/qt_backend.h"
#include "support/leftover_files.h"

namespace imm {

int run_qt_program(int argc, char** argv, const std::function<void()>& program_main) {
    remove_leftovers_on_signals();
    // A write past a file-size limit then fails with its reason instead of ending the process.
    ::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    install_window_backend(std::make_shared<QtBackend>());
    std::thread program([&] {
        program_main();
        QMetaObject::invokeMethod(&app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    QApplication::exec();
    program.join();
    install_window_backend(nullptr);
    return 0;
}

}  // namespace imm
