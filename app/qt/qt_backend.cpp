#include "app/qt/qt_backend.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <future>

#include "app/qt/gui_thread.h"
#include "app/qt/layer_window.h"
#include "app/qt/message_box.h"
#include "app/qt/plot_placement.h"
#include "app/qt/plot_window.h"
#include "app/qt/text_conversion.h"

namespace imm {

namespace {

// The report is made of aligned columns. The desktop's fixed font is not always
// marked fixed-pitch by fontconfig; then take the first family that is.
QFont fixed_width_font() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(font).fixedPitch()) {
        return font;
    }
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family)) {
            font.setFamily(family);
            return font;
        }
    }
    return font;
}

QRect rect_of(const Rect& rect) {
    return QRect(static_cast<int>(rect.x), static_cast<int>(rect.y), static_cast<int>(rect.width),
                 static_cast<int>(rect.height));
}

// Shows the window that make() builds on the GUI thread (it deletes itself on
// closing) and waits until it is gone. The GUI thread itself runs a local event
// loop meanwhile; another thread waits without one.
void show_and_wait(const std::function<QWidget*()>& make) {
    if (on_gui_thread()) {
        QEventLoop closed;
        QWidget* shown = make();
        QObject::connect(shown, &QObject::destroyed, &closed, &QEventLoop::quit);
        closed.exec();
        return;
    }
    auto gone = std::make_shared<std::promise<void>>();
    run_on_gui([&] {
        QWidget* shown = make();
        QObject::connect(shown, &QObject::destroyed, [gone] { gone->set_value(); });
    });
    gone->get_future().wait();
}

QMessageBox::Icon icon_of(std::int64_t kind) {
    switch (kind) {
        case 2:
            return QMessageBox::Warning;
        case 3:
            return QMessageBox::Critical;
        default:
            return QMessageBox::Information;
    }
}

// Moves the plot's window beside the main window; its frame is taken to be as
// thick as the main window's.
void place_beside(QWidget* plot, const LayerWindow& main) {
    const QScreen* screen = main.screen();
    if (!screen) {
        return;
    }
    const QSize frame = main.frameGeometry().size() - main.geometry().size();
    const QWidget* menu = main.menuWidget();
    const int menu_bottom = menu && menu->isVisible() ? menu->mapToGlobal(QPoint(0, menu->height() - 1)).y()
                                                      : main.geometry().top() - 1;
    const QRect placed =
        plot_placement(main.frameGeometry(), menu_bottom, plot->size() + frame, screen->availableGeometry());
    plot->move(placed.topLeft());
    plot->resize(placed.size() - frame);
}

// The radio button at index in w, or null when there is none.
QRadioButton* radio_button_at(const LayerWindow* w, std::int64_t index) {
    if (!w || index < 0 || index >= static_cast<std::int64_t>(w->radio_buttons.size())) return nullptr;
    return w->radio_buttons[static_cast<std::size_t>(index)];
}

}  // namespace

LayerWindow* QtBackend::window(std::int64_t id) const {
    const auto found = windows_.find(id);
    return found == windows_.end() ? nullptr : found->second.data();
}

QPlainTextEdit* QtBackend::text_area(std::int64_t id) const {
    const auto found = text_areas_.find(id);
    return found == text_areas_.end() ? nullptr : found->second.data();
}

QWidget* QtBackend::parent_of(std::int64_t id) const {
    LayerWindow* w = window(id);
    return w ? w->canvas() : nullptr;
}

ScreenSize QtBackend::screen_size() {
    return run_on_gui([] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect usable = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        return ScreenSize{usable.width(), usable.height()};
    });
}

void QtBackend::open_window(const WindowSpec& layout) {
    run_on_gui([&] {
        auto* w = new LayerWindow(layout);
        windows_[layout.id] = w;
        w->show();
    });
}

void QtBackend::close_window(std::int64_t id) {
    run_on_gui([&] {
        if (LayerWindow* w = window(id)) {
            w->close_for_layer();
        }
        windows_.erase(id);
    });
}

void QtBackend::set_window_title(std::int64_t id, const std::string& title) {
    run_on_gui([&] {
        if (LayerWindow* w = window(id)) {
            w->setWindowTitle(QString::fromStdString(title));
        }
    });
}

void QtBackend::enable_window(std::int64_t id, bool enabled) {
    run_on_gui([&] {
        if (LayerWindow* w = window(id)) {
            w->setEnabled(enabled);
        }
    });
}

ScreenSize QtBackend::client_size(std::int64_t id) {
    return run_on_gui([&] {
        const LayerWindow* w = window(id);
        return w ? ScreenSize{w->canvas()->width(), w->canvas()->height()} : ScreenSize{};
    });
}

void QtBackend::clear_viewport(std::int64_t id, std::int64_t colour) {
    run_on_gui([&] {
        if (LayerWindow* w = window(id)) {
            w->canvas()->clear(colour);
        }
    });
}

void QtBackend::draw_text(std::int64_t id, const TextPlacement& text) {
    run_on_gui([&] {
        if (LayerWindow* w = window(id)) {
            w->canvas()->add_text(text);
        }
    });
}

std::int64_t QtBackend::text_width(const FontStyle& font, const std::string& text) {
    return run_on_gui([&] {
        return static_cast<std::int64_t>(QFontMetrics(font_of(font)).boundingRect(QRect(), 0, to_qt_text(text)).width());
    });
}

void QtBackend::refresh_all() {
    run_on_gui([&] {
        for (const auto& [id, w] : windows_) {
            if (w) {
                w->update();
            }
        }
    });
}

void QtBackend::create_text_area(std::int64_t window_id, std::int64_t area, const Rect& rect, bool wrap) {
    run_on_gui([&] {
        QWidget* parent = parent_of(window_id);
        if (!parent) {
            return;
        }
        auto* edit = new QPlainTextEdit(parent);
        edit->setGeometry(rect_of(rect));
        if (LayerWindow* w = window(window_id)) {
            w->canvas()->keep_margins(edit, w->drawing_area());
        }
        edit->setFont(fixed_width_font());
        if (!wrap) {
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        }
        edit->show();
        text_areas_[area] = edit;
    });
}

void QtBackend::enable_text_area(std::int64_t area, bool enabled) {
    run_on_gui([&] {
        if (QPlainTextEdit* edit = text_area(area)) {
            edit->setEnabled(enabled);
        }
    });
}

void QtBackend::set_text_area_visible(std::int64_t area, bool visible) {
    run_on_gui([&] {
        if (QPlainTextEdit* edit = text_area(area)) {
            edit->setVisible(visible);
        }
    });
}

void QtBackend::focus_text_area(std::int64_t area) {
    run_on_gui([&] {
        if (QPlainTextEdit* edit = text_area(area)) {
            edit->setFocus();
        }
    });
}

void QtBackend::set_text_area_contents(std::int64_t area, const std::string& text) {
    run_on_gui([&] {
        if (QPlainTextEdit* edit = text_area(area)) {
            edit->setPlainText(to_qt_text(text));
            edit->moveCursor(QTextCursor::Start);
        }
    });
}

void QtBackend::set_text_area_cursor(std::int64_t area, std::int64_t position) {
    run_on_gui([&] {
        if (QPlainTextEdit* edit = text_area(area)) {
            QTextCursor cursor = edit->textCursor();
            const auto at = qt_text_position(from_qt_text(edit->toPlainText()), position);
            cursor.setPosition(static_cast<int>(std::min<std::int64_t>(at, edit->document()->characterCount() - 1)));
            edit->setTextCursor(cursor);
        }
    });
}

void QtBackend::insert_text_area_text(std::int64_t area, const std::string& text) {
    run_on_gui([&] {
        if (QPlainTextEdit* edit = text_area(area)) {
            edit->insertPlainText(to_qt_text(text));
        }
    });
}

void QtBackend::append_text_area_text(std::int64_t area, const std::string& text) {
    run_on_gui([&] {
        if (QPlainTextEdit* edit = text_area(area)) {
            QTextCursor cursor = edit->textCursor();
            cursor.movePosition(QTextCursor::End);
            edit->setTextCursor(cursor);
            edit->insertPlainText(to_qt_text(text));
        }
    });
}

std::string QtBackend::text_area_contents(std::int64_t area) {
    return run_on_gui([&] {
        const QPlainTextEdit* edit = text_area(area);
        return edit ? from_qt_text(edit->toPlainText()) : std::string();
    });
}

void QtBackend::add_menu(std::int64_t window_id, std::int64_t menu, std::int64_t parent, const std::string& title) {
    run_on_gui([&] {
        LayerWindow* w = window(window_id);
        if (!w) {
            return;
        }
        MenuEntry entry;
        entry.window = window_id;
        const auto holder = menu_entries_.find(parent);
        if (parent == -1 || holder == menu_entries_.end()) {
            entry.bar = w->menuBar();
        } else if (holder->second.bar) {
            entry.menu = holder->second.bar->addMenu(QString::fromStdString(title));
        } else if (holder->second.menu) {
            entry.menu = holder->second.menu->addMenu(QString::fromStdString(title));
        }
        menu_entries_[menu] = entry;
        w->show_menu_bar();
    });
}

void QtBackend::add_menu_item(std::int64_t window_id, std::int64_t item, std::int64_t menu, const std::string& title) {
    run_on_gui([&] {
        const auto holder = menu_entries_.find(menu);
        if (holder == menu_entries_.end()) {
            return;
        }
        const QString text = QString::fromStdString(title);
        QAction* action = nullptr;
        if (holder->second.bar) {
            action = holder->second.bar->addAction(text);
        } else if (holder->second.menu) {
            action = holder->second.menu->addAction(text);
        }
        if (action) {
            if (LayerWindow* w = window(window_id)) {
                w->show_menu_bar();
            }
            QObject::connect(action, &QAction::triggered, [item] { window_events::entry_chosen(item); });
            menu_entries_[item] = MenuEntry{nullptr, nullptr, action, window_id};
        }
    });
}

void QtBackend::enable_menu_entry(std::int64_t entry, bool enabled) {
    run_on_gui([&] {
        const auto found = menu_entries_.find(entry);
        if (found == menu_entries_.end()) {
            return;
        }
        const MenuEntry& e = found->second;
        if (e.action) {
            e.action->setEnabled(enabled);
        } else if (e.menu) {
            e.menu->menuAction()->setEnabled(enabled);
        } else if (e.bar) {
            e.bar->setEnabled(enabled);
        }
    });
}

void QtBackend::create_radio_button(std::int64_t window_id, std::int64_t index, const Rect& rect,
                                    const std::string& text) {
    run_on_gui([&] {
        LayerWindow* w = window(window_id);
        if (!w) {
            return;
        }
        // Radio buttons to the user and to assistive tools; the layer keeps the
        // group, since Qt's own exclusivity would forbid setting several.
        auto* button = new QRadioButton(QString::fromStdString(text), w->canvas());
        w->radio_group()->addButton(button);
        button->setGeometry(rect_of(rect));
        // Any change that does not come from the layer (a click, a key, an assistive
        // tool's action) counts as a click.
        QObject::connect(button, &QRadioButton::toggled,
                         [window_id, index] { window_events::radio_button_clicked(window_id, index); });
        button->show();
        if (static_cast<std::int64_t>(w->radio_buttons.size()) <= index) {
            w->radio_buttons.resize(static_cast<std::size_t>(index) + 1);
        }
        w->radio_buttons[static_cast<std::size_t>(index)] = button;
    });
}

void QtBackend::set_radio_button_checked(std::int64_t window_id, std::int64_t index, bool checked) {
    run_on_gui([&] {
        if (QRadioButton* button = radio_button_at(window(window_id), index)) {
            const QSignalBlocker from_the_layer(button);
            button->setChecked(checked);
        }
    });
}

void QtBackend::set_radio_button_visible(std::int64_t window_id, std::int64_t index, bool visible) {
    run_on_gui([&] {
        if (QRadioButton* button = radio_button_at(window(window_id), index)) {
            button->setVisible(visible);
        }
    });
}

void QtBackend::create_button(std::int64_t window_id, std::int64_t button, const Rect& rect, const std::string& text) {
    run_on_gui([&] {
        QWidget* parent = parent_of(window_id);
        if (!parent) {
            return;
        }
        auto* push = new QPushButton(QString::fromStdString(text), parent);
        push->setGeometry(rect_of(rect));
        QObject::connect(push, &QPushButton::clicked, [button] { window_events::entry_chosen(button); });
        push->show();
    });
}

void QtBackend::message_box(std::int64_t kind, const std::string& caption, const std::string& text) {
    show_and_wait([&] {
        auto* box = new MessageBox(icon_of(kind), QString::fromStdString(caption), to_qt_text(text),
                                   QMessageBox::Ok);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::ApplicationModal);
        box->open();
        return box;
    });
}

std::optional<std::string> QtBackend::file_dialog(const FileDialogRequest& request) {
    auto chosen = std::make_shared<std::optional<std::string>>();
    show_and_wait([&] {
        auto* dialog = new QFileDialog(nullptr, QString::fromStdString(request.title));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog->setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        const QString pattern = QString::fromStdString(request.pattern);
        const QString filter_name = QString::fromStdString(request.filter_name);
        dialog->setNameFilter(filter_name == pattern ? pattern : filter_name + QStringLiteral(" (") + pattern + ')');
        if (request.save && pattern.startsWith(QStringLiteral("*."))) {
            dialog->setDefaultSuffix(pattern.mid(2));
        }
        const QFileInfo start(QString::fromStdString(request.name));
        if (start.isDir()) {
            dialog->setDirectory(start.absoluteFilePath());
        } else {
            dialog->setDirectory(start.absolutePath());
            dialog->selectFile(start.fileName());
        }
        QObject::connect(dialog, &QFileDialog::fileSelected, [chosen](const QString& file) {
            *chosen = QFileInfo(file).absoluteFilePath().toStdString();
        });
        dialog->open();
        return dialog;
    });
    return *chosen;
}

void QtBackend::display_plot(const PlotData& plot, std::int64_t beside) {
    show_and_wait([&] {
        auto* shown = new PlotWindow(plot);
        if (const LayerWindow* main = window(beside)) {
            place_beside(shown, *main);
        }
        shown->show();
        return shown;
    });
}

}  // namespace imm
