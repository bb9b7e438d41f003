#include "app/main_program.h"
#include "app/qt/run_qt_program.h"

int main(int argc, char** argv) {
    return imm::run_qt_program(argc, argv, [] { imm::main_program(imm::ProgramOptions{}); });
}
