#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "window/headless_backend.h"
#include "window/window.h"

namespace imm {
namespace {

TEST(HeadlessWindow, MessageBoxesKeepKindCaptionAndText) {
    HeadlessSession session;
    dlgmessage(1, "No data file open - Warning!\r\nOpen a data file for input. ");
    dlgmessage(2, "check");
    dlgmessage(3, "RUN ABORTED");
    const auto messages = session.record().messages;
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].kind, 1);
    EXPECT_EQ(messages[0].caption, "Information");
    EXPECT_EQ(messages[0].text, "No data file open - Warning!\r\nOpen a data file for input. ");
    EXPECT_EQ(messages[1].caption, "Warning");
    EXPECT_EQ(messages[2].caption, "Error");
    EXPECT_EQ(messages[2].text, "RUN ABORTED");
}

TEST(HeadlessWindow, WindowsAreNumberedInOpeningOrderAndTitlesRecorded) {
    HeadlessSession session;
    EXPECT_EQ(initwindow(400, 300, "Main", 10, 20, true), 0);
    setwindowtitle("Wait, computing model...");
    EXPECT_EQ(initwindow(200, 100, "Select Models", 0, 0, false), 1);
    EXPECT_EQ(getcurrentwindow(), 1);
    EXPECT_EQ(getmaxx(), 199);
    EXPECT_EQ(getmaxy(), 99);
    closewindow(1);
    EXPECT_EQ(initwindow(50, 50, "Splash", 0, 0, false), 2);  // never reused
    EXPECT_EQ(getsignallingwindow(), 0);  // this thread opened window 0
    setcurrentwindow(0);
    setwindowtitle("Sorvek-IMM");
    enablewindow(0, false);

    const auto record = session.record();
    const RecordedWindow& main = record.windows.at(0);
    EXPECT_EQ(main.title, "Sorvek-IMM");
    EXPECT_EQ(main.titles, (std::vector<std::string>{"Main", "Wait, computing model...", "Sorvek-IMM"}));
    EXPECT_FALSE(main.enabled);
    EXPECT_TRUE(main.layout.close_flag);
    EXPECT_EQ(main.layout.x, 10);
    EXPECT_FALSE(record.windows.at(1).open);
    EXPECT_EQ(getmaxwidth(), 1920);
    EXPECT_EQ(scaledpi(14), 14);
}

TEST(HeadlessWindow, MenusKeepOrderEnabledStatesAndFireFromAnotherThread) {
    HeadlessSession session;
    initwindow(400, 300, "Main", 0, 0, true);
    std::atomic<int> code{-1};
    std::atomic<std::int64_t> signalling{-2};
    const std::int64_t bar = addmenu("", -1);
    const std::int64_t file = addmenu("File", bar);
    const std::int64_t open = addmenuitem("OpenData", bar, [&] {
        code = 4;
        signalling = getsignallingwindow();
        stopidle();
    });
    const std::int64_t quit = addmenuitem("Quit", file, [&] { code = 0; });
    enablemenuitem(file, false);
    enablemenuitem(open, false);
    enablemenuitem(open, true);

    const auto record = session.record();
    ASSERT_EQ(record.menu_entries.size(), 4u);
    EXPECT_EQ(record.menu_entries[0].parent, -1);
    EXPECT_TRUE(record.menu_entries[1].is_menu);
    EXPECT_FALSE(record.menu_entries[1].enabled);
    EXPECT_EQ(record.menu_entries[2].title, "OpenData");
    EXPECT_TRUE(record.menu_entries[2].enabled);
    EXPECT_EQ(record.menu_entries[3].parent, file);
    EXPECT_EQ(record.entry_id("Quit"), quit);

    std::thread user([&] { session.backend().choose("OpenData"); });
    loop();  // woken by the item's procedure
    user.join();
    EXPECT_EQ(code, 4);
    EXPECT_EQ(signalling, 0);
}

TEST(HeadlessWindow, TextAreaInsertsAtTheCursor) {
    HeadlessSession session;
    initwindow(400, 300, "Main", 0, 0, true);
    const std::int64_t area = createmultilinetextbox(5, 5, 390, 290, false);
    inserttextboxtext(area, "b\r\n");
    inserttextboxtext(area, "c\r\n");
    settextboxcursorposition(area, 0);
    inserttextboxtext(area, "a\r\n");
    EXPECT_EQ(gettextboxcontents(area), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(gettextboxlength(area), 9);
    appendtextboxtext(area, "d\r\n");
    EXPECT_EQ(gettextboxcontents(area), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(session.record().text_areas.at(area).cursor, 12);
    EXPECT_EQ(session.record().text_areas.at(area).insertions, 4);
    settextboxcontents(area, "");
    EXPECT_EQ(gettextboxlength(area), 0);
    enabletextbox(area, false);
    settextboxfocused(area);
    const RecordedTextArea recorded = session.record().text_areas.at(area);
    EXPECT_FALSE(recorded.enabled);
    EXPECT_TRUE(recorded.focused);
    EXPECT_FALSE(recorded.wrap);
    EXPECT_EQ(recorded.rect.width, 390);
}

TEST(HeadlessWindow, RadioGroupClickSetsOneWhileCodeMaySetSeveral) {
    HeadlessSession session;
    initwindow(300, 200, "Select Models", 0, 0, false);
    beginradiogroup();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(createradiobutton(60, 10 * i, 700, 25, "model"), i);
    }
    for (int i = 0; i < 3; ++i) {
        radiobuttonsetchecked(i, true);
    }
    EXPECT_TRUE(radiobuttonischecked(0));
    EXPECT_TRUE(radiobuttonischecked(2));
    session.backend().click_radio_button(0, 4);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(radiobuttonischecked(i), i == 4) << i;
        EXPECT_EQ(session.record().radio_buttons.at(0)[static_cast<std::size_t>(i)].checked, i == 4) << i;
    }
    setradiobuttonvisible(1, false);
    EXPECT_FALSE(session.record().radio_buttons.at(0)[1].visible);
}

TEST(HeadlessWindow, FileDialogsAnswerFromTheScript) {
    HeadlessSession session;
    const auto folder = std::filesystem::temp_directory_path() / "sorvek_headless_dialog";
    std::filesystem::create_directories(folder);
    const std::string chosen = (folder / "abc.in").string();
    session.backend().answer_file_dialog(chosen);
    session.backend().answer_file_dialog(std::nullopt);

    std::string name = "data.in";
    EXPECT_TRUE(dlgopenfile(name, "*.in", "*.in", "Open Data"));
    EXPECT_EQ(name, chosen);
    EXPECT_EQ(std::filesystem::current_path(), folder);  // the working folder moved

    name = "DATA.txt";
    EXPECT_FALSE(dlgsavefile(name, "*.txt", "*.txt", "Save Data"));
    EXPECT_EQ(name, "DATA.txt");
    EXPECT_FALSE(dlgopenfile(name, "*.in", "*.in", "Open Data"));  // script exhausted: Cancel

    const auto dialogs = session.record().file_dialogs;
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_FALSE(dialogs[0].request.save);
    EXPECT_EQ(dialogs[0].request.name, "data.in");
    EXPECT_TRUE(dialogs[1].request.save);
    EXPECT_EQ(dialogs[1].request.pattern, "*.txt");
    EXPECT_EQ(dialogs[1].request.title, "Save Data");
}

TEST(HeadlessWindow, DrawingRecordsColoursAndTexts) {
    HeadlessSession session;
    initwindow(400, 300, "Main", 0, 0, true);
    EXPECT_EQ(creatergb(153, 204, 255), 0xFFCC99);
    setcolor(0);
    setbkcolor(creatergb(242, 245, 250));
    clearviewport();
    settextjustify(0, 2);
    settextstyle(7, 0, 14);
    outtextxy(3, 4, "line one\r\nline two");
    EXPECT_EQ(textwidth("ab\r\nabcd"), 4 * 14 / 2);
    refreshall();
    const auto record = session.record();
    const RecordedWindow& w = record.windows.at(0);
    EXPECT_EQ(w.background, creatergb(242, 245, 250));
    ASSERT_EQ(w.texts.size(), 1u);
    EXPECT_EQ(w.texts[0].text, "line one\r\nline two");
    EXPECT_EQ(w.texts[0].font.size, 14);
    EXPECT_EQ(w.texts[0].vertical, 2);
    EXPECT_EQ(record.refreshes, 1);
    clearviewport();
    EXPECT_TRUE(session.record().windows.at(0).texts.empty());
}

TEST(HeadlessWindow, FrameCloseWithoutTheFlagCallsBackWakesAndCloses) {
    HeadlessSession session;
    initwindow(400, 300, "Main", 0, 0, true);
    const std::int64_t selection = initwindow(300, 200, "Select Models", 0, 0, false);
    std::atomic<bool> called{false};
    setwindowsystemclosecallback([&] { called = true; });
    std::thread user([&] { session.backend().close_frame(selection); });
    loop();  // woken by the close
    user.join();
    EXPECT_TRUE(called);
    EXPECT_FALSE(session.record().windows.at(selection).open);
}

TEST(HeadlessWindowDeathTest, FrameCloseWithTheFlagEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            HeadlessSession session;
            initwindow(400, 300, "Main", 0, 0, true);
            session.backend().close_frame(0);
            std::exit(3);
        },
        testing::ExitedWithCode(0), "");
}

TEST(WakeEvent, IsLatchedAndConsumedByAWait) {
    HeadlessSession session;
    initwindow(400, 300, "Main", 0, 0, true);
    using Clock = std::chrono::steady_clock;
    stopidle();
    stopidle();
    stopidle();
    loop();  // three wakes count as one ...
    const auto start = Clock::now();
    startidle(50);  // ... which the first wait consumed, so this one runs its time
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(50));

    std::thread waker([] { stopidle(); });
    startidle(60'000);  // returns on the wake, not after a minute
    waker.join();
}

TEST(WakeEvent, WakesGoToTheWindowCurrentAtThatMoment) {
    HeadlessSession session;
    initwindow(400, 300, "Main", 0, 0, true);
    initwindow(100, 100, "Other", 0, 0, false);
    stopidle();  // window 1 is woken
    setcurrentwindow(0);
    const auto start = std::chrono::steady_clock::now();
    startidle(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    setcurrentwindow(1);
    loop();  // its latched wake is still there
}

}  // namespace
}  // namespace imm
