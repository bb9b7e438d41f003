#include "app/outside_editor.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <thread>

extern char** environ;

namespace imm {

namespace {

// An opener that fails (no application for the file, a file it cannot read) says
// so at once; one still running after this long has started the editor.
constexpr auto kOpenerVerdict = std::chrono::seconds(5);

}  // namespace

bool start_text_editor(const std::string& file) {
    std::string program = "xdg-open";
    std::string argument = file;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    // A thread collects its exit, so that no zombie is left however long it runs.
    std::promise<int> exit_status;
    std::future<int> ended = exit_status.get_future();
    std::thread([pid, exit_status = std::move(exit_status)]() mutable {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        exit_status.set_value(status);
    }).detach();
    if (ended.wait_for(kOpenerVerdict) != std::future_status::ready) {
        return true;
    }
    const int status = ended.get();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace imm
