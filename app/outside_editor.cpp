#include "app/outside_editor.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "support/system_reason.h"

extern char** environ;

namespace imm {

std::string start_text_editor(const std::string& file, OpenerEnded ended) {
    std::string program = "xdg-open";
    std::string argument = file;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (const int error = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ); error != 0) {
        return error == ENOENT ? "xdg-open was not found: install the package xdg-utils."
                               : "xdg-open could not be run: " + system_reason(error) + ".";
    }
    // The watcher also collects the exit, so that no zombie is left.
    std::thread([pid, ended = std::move(ended)] {
        int status = 0;
        pid_t waited = 0;
        while ((waited = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
        }
        if (ended) {
            ended(waited == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
    }).detach();
    return "";
}

}  // namespace imm
