#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <filesystem>
#include <fstream>

#include "app/window/window.h"
#include "tests/app/window/qt/qt_test_support.h"

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
