#include "app/outside_editor.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

namespace imm {

bool start_text_editor(const std::string& file) {
    std::string program = "xdg-open";
    std::string argument = file;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    // Not waited for; a thread collects its exit so that no zombie is left.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

}  // namespace imm
