#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/file_monitor.h"
#include "support/unit_table.h"
#include "window/headless_backend.h"
#include "window/window.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

// Records every piece of text appended to a text area.
class AppendRecordingBackend : public HeadlessBackend {
public:
    void append_text_area_text(std::int64_t area, const std::string& text) override {
        {
            std::lock_guard lock(mutex_);
            appends_.push_back(text);
        }
        HeadlessBackend::append_text_area_text(area, text);
    }
    std::vector<std::string> appends() const {
        std::lock_guard lock(mutex_);
        return appends_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> appends_;
};

bool valid_utf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t j = 1; j < length; ++j) {
            if ((static_cast<unsigned char>(text[i + j]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

class FileMonitor : public ::testing::Test {
protected:
    static constexpr std::int64_t kUnit = 77;

    void SetUp() override {
        install_window_backend(backend_);
        initwindow(400, 300, "Main", 0, 0, true);
        area_ = createmultilinetextbox(5, 5, 390, 290, false);
        folder_ = fs::temp_directory_path() /
                  ("monitor_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
        file_ = folder_ / "report.out";
    }

    void TearDown() override {
        UnitTable::instance().close(kUnit);
        install_window_backend(nullptr);
        fs::remove_all(folder_);
    }

    std::string contents() const { return gettextboxcontents(area_); }

    // Waits (up to 10 s; the monitor looks every 2 s at most) until the text area holds the text.
    bool shows(const std::string& text) const {
        return backend_->wait_until([&](const HeadlessRecord& r) {
            return r.text_areas.at(area_).contents.find(text) != std::string::npos;
        });
    }

    // Appends raw bytes, as another writer of the file would.
    void append_bytes(const std::string& bytes) const {
        std::ofstream out(file_, std::ios::binary | std::ios::app);
        out << bytes;
    }

    std::shared_ptr<AppendRecordingBackend> backend_ = std::make_shared<AppendRecordingBackend>();
    std::int64_t area_ = -1;
    fs::path folder_;
    fs::path file_;
};

TEST_F(FileMonitor, FollowsTheUnitsFileUntilItsLastCopy) {
    UnitTable& units = UnitTable::instance();
    ASSERT_EQ(units.open(kUnit, file_.string(), OpenMode::create), io_ok);
    ASSERT_EQ(units.write_record(kUnit, "written before the monitor"), io_ok);
    FileMonitorHandle monitor = assignunit(area_, kUnit);
    ASSERT_TRUE(monitor);
    EXPECT_TRUE(shows("written before the monitor\r\n"));

    ASSERT_EQ(units.write_record(kUnit, "added later"), io_ok);
    EXPECT_TRUE(shows("added later\r\n"));

    // A change of another file in the folder adds nothing.
    std::ofstream(folder_ / "other.txt") << "not this one\n";
    ASSERT_EQ(units.write_record(kUnit, "third"), io_ok);
    EXPECT_TRUE(shows("third\r\n"));

    ASSERT_EQ(units.write_record(kUnit, "just before the unit closes"), io_ok);
    units.close(kUnit);
    monitor.join();
    EXPECT_EQ(contents(), "written before the monitor\r\nadded later\r\nthird\r\njust before the unit closes\r\n");
}

TEST_F(FileMonitor, WhatIsThereArrivesInOneAppendAtTheEnd) {
    UnitTable& units = UnitTable::instance();
    ASSERT_EQ(units.open(kUnit, file_.string(), OpenMode::create), io_ok);
    std::string lines;
    for (int i = 0; i < 40; ++i) {
        const std::string line = "line " + std::to_string(i) + " of a report read 63 bytes at a time";
        ASSERT_EQ(units.write_record(kUnit, line), io_ok);
        lines += line + "\r\n";
    }
    ASSERT_EQ(units.flush(kUnit), io_ok);
    // The user's cursor at the start: the copy still goes to the end.
    settextboxcontents(area_, "typed\r\n");
    FileMonitorHandle monitor = assignunit(area_, kUnit);
    ASSERT_TRUE(shows(lines));
    units.close(kUnit);
    monitor.join();
    EXPECT_EQ(contents(), "typed\r\n" + lines);
    EXPECT_EQ(backend_->appends(), std::vector<std::string>{lines});
    EXPECT_EQ(backend_->record().text_areas.at(area_).cursor, std::ssize(contents()));
}

TEST_F(FileMonitor, MultiByteCharactersArriveWhole) {
    UnitTable& units = UnitTable::instance();
    ASSERT_EQ(units.open(kUnit, file_.string(), OpenMode::create), io_ok);
    // 62 bytes and a euro sign: the first read of 63 bytes ends inside it.
    const std::string first = std::string(62, 'x') + "\xE2\x82\xAC";
    ASSERT_EQ(units.write_record(kUnit, first), io_ok);
    FileMonitorHandle monitor = assignunit(area_, kUnit);
    ASSERT_TRUE(shows(first + "\r\n"));

    // A character split between two writes, the monitor reading in between.
    append_bytes("abc\xC3");
    ASSERT_TRUE(shows("abc"));
    append_bytes("\xA9t\xF0\x9F");
    ASSERT_TRUE(shows("t"));
    append_bytes("\x98\x80 end\n");
    ASSERT_TRUE(shows(" end"));
    units.close(kUnit);
    monitor.join();

    EXPECT_EQ(contents(), first + "\r\nabc\xC3\xA9t\xF0\x9F\x98\x80 end\r\n");
    for (const std::string& piece : backend_->appends()) {
        EXPECT_TRUE(valid_utf8(piece)) << piece;
    }
}

TEST_F(FileMonitor, NothingToFollow) {
    // A unit without a file and an empty name start no monitor.
    EXPECT_FALSE(assignunit(area_, kUnit));
    EXPECT_FALSE(assignfiletotextbox(area_, "", kUnit));
    EXPECT_FALSE(isunitopen(kUnit));

    // A file that cannot be opened ends the monitor at once.
    FileMonitorHandle monitor = assignfiletotextbox(area_, (folder_ / "missing.out").string(), kUnit);
    ASSERT_TRUE(monitor);
    monitor.join();
    EXPECT_EQ(contents(), "");
}

TEST_F(FileMonitor, RelativeNamesAreTakenFromTheCurrentFolder) {
    const fs::path before = fs::current_path();
    fs::current_path(folder_);
    UnitTable& units = UnitTable::instance();
    ASSERT_EQ(units.open(kUnit, "report.out", OpenMode::create), io_ok);
    ASSERT_EQ(units.write_record(kUnit, "relative"), io_ok);
    FileMonitorHandle monitor = assignunit(area_, kUnit);
    EXPECT_TRUE(shows("relative\r\n"));
    units.close(kUnit);
    monitor.join();
    fs::current_path(before);
    EXPECT_EQ(contents(), "relative\r\n");
}

}  // namespace
}  // namespace imm
