// Runs test cases as a user whom file permissions bind: when the tests run as
// root, in a forked child that has become user and group nobody, who is given the
// folder and everything in it that root owns; otherwise in this process.
#pragma once

#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>

namespace imm::test {

inline void run_unprivileged(const std::filesystem::path& folder, const std::function<void()>& cases) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() != 0) return cases();
    ::chown(folder.c_str(), kNobody, kNobody);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        struct stat status{};
        if (::lstat(entry.path().c_str(), &status) == 0 && status.st_uid == 0) {
            ::lchown(entry.path().c_str(), kNobody, kNobody);
        }
    }
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        if (dropped) cases();
        std::fflush(stdout);
        std::_Exit(dropped && !::testing::Test::HasFailure() ? 0 : 1);
    }
    int status = 0;
    EXPECT_TRUE(child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "a case failed as user nobody (see above)";
}

}  // namespace imm::test
