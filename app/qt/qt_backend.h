// The window layer's back end over Qt widgets. Widgets live on the GUI thread
// (the process's main thread); a call from another thread is carried out there
// while the caller waits. Modal dialogs and plots open without a nested event
// loop and the calling thread waits until they have closed.
#pragma once

#include <QPointer>
#include <map>

#include "window/window_backend.h"

QT_BEGIN_NAMESPACE
class QAction;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QWidget;
QT_END_NAMESPACE

namespace imm {

class LayerWindow;

class QtBackend : public WindowBackend {
public:
    ScreenSize screen_size() override;
    void open_window(const WindowSpec& layout) override;
    void close_window(std::int64_t window) override;
    void set_window_title(std::int64_t window, const std::string& title) override;
    void enable_window(std::int64_t window, bool enabled) override;
    ScreenSize client_size(std::int64_t window) override;
    void clear_viewport(std::int64_t window, std::int64_t colour) override;
    void draw_text(std::int64_t window, const TextPlacement& text) override;
    std::int64_t text_width(const FontStyle& font, const std::string& text) override;
    void refresh_all() override;
    void create_text_area(std::int64_t window, std::int64_t area, const Rect& rect, bool wrap) override;
    void enable_text_area(std::int64_t area, bool enabled) override;
    void set_text_area_visible(std::int64_t area, bool visible) override;
    void focus_text_area(std::int64_t area) override;
    void set_text_area_contents(std::int64_t area, const std::string& text) override;
    void set_text_area_cursor(std::int64_t area, std::int64_t position) override;
    void insert_text_area_text(std::int64_t area, const std::string& text) override;
    void append_text_area_text(std::int64_t area, const std::string& text) override;
    std::string text_area_contents(std::int64_t area) override;
    void add_menu(std::int64_t window, std::int64_t menu, std::int64_t parent, const std::string& title) override;
    void add_menu_item(std::int64_t window, std::int64_t item, std::int64_t menu, const std::string& title) override;
    void enable_menu_entry(std::int64_t entry, bool enabled) override;
    void create_radio_button(std::int64_t window, std::int64_t index, const Rect& rect,
                             const std::string& text) override;
    void set_radio_button_checked(std::int64_t window, std::int64_t index, bool checked) override;
    void set_radio_button_visible(std::int64_t window, std::int64_t index, bool visible) override;
    void create_button(std::int64_t window, std::int64_t button, const Rect& rect, const std::string& text) override;
    void message_box(std::int64_t kind, const std::string& caption, const std::string& text) override;
    std::optional<std::string> file_dialog(const FileDialogRequest& request) override;
    void display_plot(const PlotData& plot, std::int64_t beside) override;

private:
    // A menu bar, a menu or an item; only ever touched on the GUI thread.
    struct MenuEntry {
        QPointer<QMenuBar> bar;
        QPointer<QMenu> menu;
        QPointer<QAction> action;
        std::int64_t window = -1;
    };

    LayerWindow* window(std::int64_t id) const;
    QPlainTextEdit* text_area(std::int64_t id) const;
    QWidget* parent_of(std::int64_t window) const;

    std::map<std::int64_t, QPointer<LayerWindow>> windows_;
    std::map<std::int64_t, QPointer<QPlainTextEdit>> text_areas_;
    std::map<std::int64_t, MenuEntry> menu_entries_;
};

}  // namespace imm
