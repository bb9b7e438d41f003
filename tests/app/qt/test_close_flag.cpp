#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

// Closing the main window ends the process at once, even mid-computation, with
// status 0 and without static destructors.
TEST(CloseFlag, ClosingTheMainWindowEndsTheComputingProcess) {
    const std::string output = testing::TempDir() + "sorvek_close_probe.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char probe[] = SORVEK_CLOSE_PROBE;
    char* argv[] = {probe, nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, probe, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 600 && ended == 0; ++i) {  // a generous minute
        ended = waitpid(pid, &status, WNOHANG);
        if (ended == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (ended == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "the process went on computing after its main window closed";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::stringstream printed;
    printed << std::ifstream(output).rdbuf();
    EXPECT_EQ(printed.str(), "computing\n");
}

}  // namespace
