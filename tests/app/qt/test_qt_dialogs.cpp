#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <filesystem>
#include <fstream>

#include "app/information_dialogs.h"
#include "tests/app/qt/qt_test_support.h"
#include "window/window.h"

namespace imm {
namespace {

using QtDialogs = QtLayerTest;

TEST_F(QtDialogs, MessageBoxBlocksTheProgramUntilAnswered) {
    const std::pair<std::int64_t, QString> kinds[] = {{1, "Information"}, {2, "Warning"}, {3, "Error"}};
    for (const auto& [kind, caption] : kinds) {
        ProgramThread program([kind = kind] { dlgmessage(kind, "First line\r\nSecond line"); });
        QMessageBox* box = nullptr;
        ASSERT_TRUE(pump_until([&] { return (box = find_window<QMessageBox>()) != nullptr; }));
        EXPECT_EQ(box->windowTitle(), caption);
        EXPECT_EQ(box->text(), "First line\nSecond line");
        EXPECT_EQ(box->icon(), kind == 1 ? QMessageBox::Information
                               : kind == 2 ? QMessageBox::Warning
                                           : QMessageBox::Critical);
        EXPECT_FALSE(program.done());
        box->button(QMessageBox::Ok)->click();
        ASSERT_TRUE(program.finish());
    }
}

// Each information box is as wide as its longest line: its text breaks only at
// its own line breaks.
TEST_F(QtDialogs, MessageBoxesBreakTheirTextOnlyAtItsLineBreaks) {
    const std::pair<void (*)(), std::string> dialogs[] = {
        {help, help_text()},         {models, model_library_text()}, {examplefile, example_file_text()},
        {mechanism, mechanism_text()}, {about, about_text()},
    };
    for (const auto& [dialog, text] : dialogs) {
        ProgramThread program([dialog = dialog] { dialog(); });
        QMessageBox* box = nullptr;
        ASSERT_TRUE(pump_until([&] { return (box = find_window<QMessageBox>()) != nullptr; }));
        const QStringList lines = box->text().split('\n');
        EXPECT_EQ(lines, QString::fromStdString(text).split(QStringLiteral("\r\n")));
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        ASSERT_TRUE(pump_until([&] { return label->isVisible() && label->width() > 0; }));
        EXPECT_FALSE(label->wordWrap()) << lines[0].toStdString();
        EXPECT_GE(label->width(), label->sizeHint().width()) << lines[0].toStdString();
        EXPECT_TRUE(box->rect().contains(label->geometry())) << lines[0].toStdString();
        EXPECT_LE(box->frameGeometry().width(), box->screen()->availableGeometry().width());
        box->button(QMessageBox::Ok)->click();
        ASSERT_TRUE(program.finish());
    }
    // Lines the plain box used to break.
    EXPECT_TRUE(help_text().ends_with("\r\n   13- Progress curve models are discribed in [File/Enzymatic Mechanism]."));
    EXPECT_NE(model_library_text().find(
                  "\r\n2- Product vs time Integrated Michaelis-Menten - Baseline: Parameters=3\r\n"),
              std::string::npos);
}

TEST_F(QtDialogs, FileDialogAnswersTheWaitingProgram) {
    const auto folder = std::filesystem::temp_directory_path() / "sorvek_qt_dialog";
    std::filesystem::create_directories(folder);
    const auto data = folder / "abc.in";
    std::ofstream(data) << "0 1 2\n";
    const auto before = std::filesystem::current_path();

    std::string name = (folder / "data.in").string();
    bool chosen = false;
    ProgramThread open([&] { chosen = dlgopenfile(name, "*.in", "*.in", "Open Data File"); });
    QFileDialog* dialog = nullptr;
    ASSERT_TRUE(pump_until([&] { return (dialog = find_window<QFileDialog>()) != nullptr; }));
    EXPECT_EQ(dialog->windowTitle(), "Open Data File");
    EXPECT_EQ(dialog->directory().absolutePath().toStdString(), folder.string());
    // As the user's choice; accept() itself may check the file on a slow model first.
    emit dialog->fileSelected(QString::fromStdString(data.string()));
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    ASSERT_TRUE(open.finish());
    EXPECT_TRUE(chosen);
    EXPECT_EQ(name, data.string());
    EXPECT_EQ(std::filesystem::current_path(), folder);

    name = (folder / "ABC.txt").string();
    ProgramThread save([&] { chosen = dlgsavefile(name, "*.txt", "*.txt", "Save Data"); });
    ASSERT_TRUE(pump_until([&] { return (dialog = find_window<QFileDialog>()) != nullptr; }));
    EXPECT_EQ(dialog->defaultSuffix(), "txt");
    dialog->reject();
    ASSERT_TRUE(save.finish());
    EXPECT_FALSE(chosen);
    EXPECT_EQ(name, (folder / "ABC.txt").string());
    std::filesystem::current_path(before);
}

}  // namespace
}  // namespace imm
