#include "app/outside_editor.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace imm {

bool start_text_editor(const std::string& file, OpenerEnded ended) {
    std::string program = "xdg-open";
    std::string argument = file;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    // The watcher also collects the exit, so that no zombie is left.
    std::thread([pid, ended = std::move(ended)] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (ended) {
            ended(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
    }).detach();
    return true;
}

}  // namespace imm
