#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/file_contents.h"
#include "tests/working_folder.h"

extern char** environ;

namespace {

// Runs the probe with the arguments and, once it has printed "computing", sends
// it the signal, if any. It must end at once, by the signal or else with status
// 0, without static destructors. Its output file is this test process's own, as
// the tests run side by side.
void expect_probe_ends(std::vector<char*> arguments, int signal) {
    const std::string output = testing::TempDir() + "sorvek_close_probe_" + std::to_string(getpid()) + ".txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char probe[] = SORVEK_CLOSE_PROBE;
    arguments.insert(arguments.begin(), probe);
    arguments.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, probe, &actions, nullptr, arguments.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    int status = 0;
    pid_t ended = 0;
    bool signalled = signal == 0;
    for (int i = 0; i < 600 && ended == 0; ++i) {  // a generous minute
        if (!signalled && imm::test::read_file(output) == "computing\n") signalled = kill(pid, signal) == 0;
        ended = waitpid(pid, &status, WNOHANG);
        if (ended == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (ended == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "the process went on computing";
    }
    if (signal != 0) {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    } else {
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    std::stringstream printed;
    printed << std::ifstream(output).rdbuf();
    std::filesystem::remove(output);
    EXPECT_EQ(printed.str(), "computing\n");
}

// Closing the main window ends the process at once, even mid-computation.
TEST(CloseFlag, ClosingTheMainWindowEndsTheComputingProcess) { expect_probe_ends({}, 0); }

// A run ended at once, by closing its main window or by a signal, leaves the old
// report as it was and no temporary report beside it.
TEST(CloseFlag, ARunEndedAtOnceLeavesNoTemporaryReport) {
    namespace fs = std::filesystem;
    for (const auto& [mode, signal] : {std::pair<std::string, int>{"close", 0}, {"wait", SIGTERM}, {"wait", SIGINT},
                                       {"wait", SIGHUP}}) {
        imm::test::WorkingFolder folder("sorvek_close_run_");
        fs::copy_file(fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in", "data.in");
        imm::test::write_file("data.out", "old report\n");
        std::string mode_argument = mode, data = (folder.path() / "data.in").string();
        expect_probe_ends({mode_argument.data(), data.data()}, signal);
        std::set<std::string> left;
        for (const auto& entry : fs::directory_iterator(".")) left.insert(entry.path().filename().string());
        EXPECT_EQ(left, (std::set<std::string>{"data.in", "data.out"})) << mode << " " << signal;
        EXPECT_EQ(imm::test::read_file("data.out"), "old report\n") << mode << " " << signal;
    }
}

}  // namespace
