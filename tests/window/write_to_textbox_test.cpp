#include "window/write_to_textbox.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/unit_files.h"
#include "support/unit_table.h"
#include "window/headless_backend.h"
#include "window/window.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

class WriteToTextboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sorvek_textbox_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        initwindow(400, 300, "Main", 0, 0, true);
        area_ = createmultilinetextbox(5, 5, 390, 290, false);
        enabletextbox(area_, false);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string file(const char* name, const std::string& text) const {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    HeadlessSession session_;
    fs::path dir_;
    std::int64_t area_ = -1;
};

TEST_F(WriteToTextboxTest, ShowsEveryLineButTheFirstWhole) {
    const std::string long_line(130, 'x');
    settextboxcontents(area_, "kept\r\n");
    settextboxcursorposition(area_, 6);
    const std::string report = file("r.out", "REPORT HEAD\n Km =  1.0   \n\n" + long_line + "\nlast");
    EXPECT_EQ(write2textbox(area_, report + "   "), io_ok);
    const RecordedTextArea shown = session_.record().text_areas.at(area_);
    EXPECT_EQ(shown.contents, "kept\r\n Km =  1.0\r\n\r\n" + long_line + "\r\nlast\r\n");
    EXPECT_TRUE(shown.enabled);
    EXPECT_TRUE(shown.visible);
    EXPECT_TRUE(shown.focused);
    EXPECT_FALSE(file_open_by_name(report));
    EXPECT_TRUE(session_.record().messages.empty());
}

TEST_F(WriteToTextboxTest, ALongReportGoesInInAFewInsertionsOfWholeLines) {
    std::string report = "REPORT HEAD\n";
    std::string shown;
    for (int i = 0; i < 4000; ++i) {
        const std::string line = "       " + std::to_string(i) + "      0.123450E+01     0.678900E+00    -0.1E-02";
        report += line + "   \n";
        shown += line + "\r\n";
    }
    ASSERT_GT(shown.size(), 200'000u);
    EXPECT_EQ(write2textbox(area_, file("long.out", report)), io_ok);
    const RecordedTextArea area = session_.record().text_areas.at(area_);
    EXPECT_EQ(area.contents, shown);
    EXPECT_EQ(area.cursor, std::ssize(shown));
    EXPECT_GE(area.insertions, 2);
    EXPECT_LE(area.insertions, 5);
}

TEST_F(WriteToTextboxTest, AOneLineFileLeavesTheAreaUnchanged) {
    EXPECT_EQ(write2textbox(area_, file("one.out", "only line\n")), io_ok);
    EXPECT_EQ(gettextboxcontents(area_), "");
    EXPECT_EQ(session_.record().text_areas.at(area_).insertions, 0);
}

TEST_F(WriteToTextboxTest, AnOpenFailureShowsAnErrorAndGoesOn) {
    const std::string missing = (dir_ / "no_folder" / "r.out").string();
    EXPECT_NE(write2textbox(area_, missing), io_ok);
    const auto messages = session_.record().messages;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, 3);
    EXPECT_EQ(messages[0].text, "Could not open the file " + missing + "\r\nfor the text area.");
    EXPECT_EQ(gettextboxcontents(area_), "");
}

}  // namespace
}  // namespace imm
