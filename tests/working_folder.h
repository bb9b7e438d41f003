// A fresh folder for the running test, named after it, that is the working folder
// while the object lives; it is removed with everything in it at the end.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace imm::test {

class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& prefix)
        : previous_(std::filesystem::current_path()),
          path_(std::filesystem::temp_directory_path() /
                (prefix + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        std::filesystem::current_path(path_);
    }
    ~WorkingFolder() {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(path_);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

}  // namespace imm::test
