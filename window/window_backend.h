// The interface between the window layer and whatever shows its windows: the Qt
// back end of the desktop program or the headless recording back end of tests.
// The layer keeps identifiers, the current window, colours, radio states,
// callbacks and wake events; a back end only shows and asks. Every method is
// called with explicit identifiers and may be called from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace imm {

struct PlotData;

struct ScreenSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

struct Rect {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

struct WindowSpec {
    std::int64_t id = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::string title;
    std::int64_t x = 0;
    std::int64_t y = 0;
    bool close_flag = false;
};

// Fonts: 1 serif, 6 sans serif, 7 the application's interface font.
struct FontStyle {
    std::int64_t font = 7;
    std::int64_t direction = 0;
    std::int64_t size = 16;  // pixels
};

// A text drawn at (x, y); justification 0 left / 1 centre / 2 right and
// 0 bottom / 1 centre / 2 top. Line breaks in the text are kept.
struct TextPlacement {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::string text;
    std::int64_t colour = 0;
    FontStyle font;
    std::int64_t horizontal = 0;
    std::int64_t vertical = 2;
};

struct FileDialogRequest {
    bool save = false;
    std::string name;  // proposed file, or the folder to start in
    std::string filter_name;
    std::string pattern;  // e.g. "*.in"
    std::string title;
};

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    virtual ScreenSize screen_size() = 0;
    virtual void open_window(const WindowSpec& layout) = 0;
    virtual void close_window(std::int64_t window) = 0;
    virtual void set_window_title(std::int64_t window, const std::string& title) = 0;
    virtual void enable_window(std::int64_t window, bool enabled) = 0;
    virtual ScreenSize client_size(std::int64_t window) = 0;

    virtual void clear_viewport(std::int64_t window, std::int64_t colour) = 0;
    virtual void draw_text(std::int64_t window, const TextPlacement& text) = 0;
    virtual std::int64_t text_width(const FontStyle& font, const std::string& text) = 0;
    virtual void refresh_all() = 0;

    // Text-area texts use CR LF line breaks; positions count characters of that text.
    virtual void create_text_area(std::int64_t window, std::int64_t area, const Rect& rect, bool wrap) = 0;
    virtual void enable_text_area(std::int64_t area, bool enabled) = 0;
    virtual void set_text_area_visible(std::int64_t area, bool visible) = 0;
    virtual void focus_text_area(std::int64_t area) = 0;
    virtual void set_text_area_contents(std::int64_t area, const std::string& text) = 0;
    virtual void set_text_area_cursor(std::int64_t area, std::int64_t position) = 0;
    virtual void insert_text_area_text(std::int64_t area, const std::string& text) = 0;
    // The cursor to the end, then the text inserted there.
    virtual void append_text_area_text(std::int64_t area, const std::string& text) = 0;
    virtual std::string text_area_contents(std::int64_t area) = 0;

    // parent -1: the window's menu bar itself; otherwise a menu or the bar.
    virtual void add_menu(std::int64_t window, std::int64_t menu, std::int64_t parent, const std::string& title) = 0;
    virtual void add_menu_item(std::int64_t window, std::int64_t item, std::int64_t menu, const std::string& title) = 0;
    virtual void enable_menu_entry(std::int64_t entry, bool enabled) = 0;

    virtual void create_radio_button(std::int64_t window, std::int64_t index, const Rect& rect, const std::string& text) = 0;
    virtual void set_radio_button_checked(std::int64_t window, std::int64_t index, bool checked) = 0;
    virtual void set_radio_button_visible(std::int64_t window, std::int64_t index, bool visible) = 0;
    virtual void create_button(std::int64_t window, std::int64_t button, const Rect& rect, const std::string& text) = 0;

    // Modal: they return when the user has answered.
    virtual void message_box(std::int64_t kind, const std::string& caption, const std::string& text) = 0;
    virtual std::optional<std::string> file_dialog(const FileDialogRequest& request) = 0;
    // The plot's window opens beside the window `beside` when that one is open.
    virtual void display_plot(const PlotData& plot, std::int64_t beside) = 0;
};

// Installs the back end that every later operation uses and resets the layer's
// windows and controls. Without an installed one, a headless back end is used.
void install_window_backend(std::shared_ptr<WindowBackend> backend);
std::shared_ptr<WindowBackend> installed_window_backend();

// What a back end reports of the user's actions. They may come from any thread.
namespace window_events {
// A menu item or a push button was chosen: its procedure runs on this thread.
void entry_chosen(std::int64_t entry);
// A radio button was clicked, or set or cleared by other means of the user's
// (keys, assistive tools): it is set and the others of its group cleared.
void radio_button_clicked(std::int64_t window, std::int64_t index);
// The frame's close button: a window with the close flag ends the process at
// once; another calls its system-close procedure, is woken and closed.
void frame_close_requested(std::int64_t window);
}  // namespace window_events

}  // namespace imm
