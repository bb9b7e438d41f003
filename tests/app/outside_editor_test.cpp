#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>

#include "app/outside_editor.h"
#include "program_harness.h"

namespace imm {
namespace {

using testing_support::read_file;
using testing_support::TempFolder;

// Sets PATH while it lives.
class PathSet {
public:
    explicit PathSet(const std::string& path) : saved_(std::getenv("PATH") ? std::getenv("PATH") : "") {
        setenv("PATH", path.c_str(), 1);
    }
    ~PathSet() { setenv("PATH", saved_.c_str(), 1); }

private:
    std::string saved_;
};

TEST(OutsideEditor, StartsXdgOpenOnTheFileWithoutWaiting) {
    TempFolder folder;
    const auto seen = folder.path() / "seen";
    const auto script = folder.write("xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + seen.string() + ".tmp'\nmv '" +
                                                     seen.string() + ".tmp' '" + seen.string() + "'\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const auto report = folder.write("my report.out", "text");
    {
        PathSet path(folder.path().string() + ":/usr/bin:/bin");
        EXPECT_EQ(start_text_editor(report.string(), nullptr), "");
    }
    for (int i = 0; i < 500 && !std::filesystem::exists(seen); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(read_file(seen), report.string());
}

// An opener that starts but fails (no application for the file) ends as one
// that did not open it.
TEST(OutsideEditor, ReportsHowTheOpenerEnded) {
    TempFolder folder;
    for (const std::string ending : {"exit 3", "kill -TERM $$", "exit 0"}) {
        const auto script = folder.write("xdg-open", "#!/bin/sh\n" + ending + "\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        PathSet path(folder.path().string() + ":/usr/bin:/bin");
        const auto opened = std::make_shared<std::promise<bool>>();
        std::future<bool> ended = opened->get_future();
        ASSERT_EQ(start_text_editor("/tmp/whatever.out", [opened](bool ok) { opened->set_value(ok); }), "") << ending;
        ASSERT_EQ(ended.wait_for(std::chrono::minutes(1)), std::future_status::ready) << ending;
        EXPECT_EQ(ended.get(), ending == "exit 0") << ending;
    }
}

TEST(OutsideEditor, SaysWhyNoOpenerCanBeStarted) {
    TempFolder folder;
    PathSet path(folder.path().string());
    EXPECT_EQ(start_text_editor("/tmp/x.out", nullptr), "xdg-open was not found: install the package xdg-utils.");
    std::filesystem::permissions(folder.write("xdg-open", "#!/bin/sh\n"), std::filesystem::perms::owner_read);
    EXPECT_EQ(start_text_editor("/tmp/x.out", nullptr), "xdg-open could not be run: Permission denied.");
}

}  // namespace
}  // namespace imm
