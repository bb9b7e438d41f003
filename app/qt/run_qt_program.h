// The entry of the desktop program: Qt's application runs on the process's main
// thread and the program's own main routine on a second thread, whose window
// operations go through the Qt back end. Returns when the routine has returned.
// SIGTERM, SIGINT and SIGHUP end the process at once, leaving no temporary file;
// SIGXFSZ is ignored.
#pragma once

#include <functional>

namespace imm {

int run_qt_program(int argc, char** argv, const std::function<void()>& program_main);

}  // namespace imm
