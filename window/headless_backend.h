// A back end without a display, for tests and benchmarks: it records every call
// and answers from a script. Message boxes and plots return at once; a file
// dialog returns the next scripted answer (Cancel when none is left); menu
// items, buttons, radio buttons and frame closes can be fired from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

#include "window/plot.h"
#include "window/window_backend.h"

namespace imm {

struct RecordedMessage {
    std::int64_t kind = 0;
    std::string caption;
    std::string text;
};

struct RecordedWindow {
    WindowSpec layout;
    std::string title;
    std::vector<std::string> titles;  // every title set, in order
    bool open = true;
    bool enabled = true;
    std::int64_t background = 0xFFFFFF;
    std::vector<TextPlacement> texts;  // drawn since the last clear
};

struct RecordedMenuEntry {
    std::int64_t id = 0;
    std::int64_t window = 0;
    std::int64_t parent = -1;
    std::string title;
    bool is_menu = false;
    bool enabled = true;
};

struct RecordedTextArea {
    std::int64_t window = 0;
    Rect rect;
    bool wrap = false;
    bool enabled = true;
    bool visible = true;
    bool focused = false;
    std::string contents;
    std::int64_t cursor = 0;
    std::int64_t insertions = 0;  // texts inserted or appended
};

struct RecordedRadioButton {
    Rect rect;
    std::string text;
    bool checked = false;
    bool visible = true;
};

struct RecordedButton {
    std::int64_t id = 0;
    std::int64_t window = 0;
    Rect rect;
    std::string text;
};

struct RecordedFileDialog {
    FileDialogRequest request;
    std::optional<std::string> answer;
};

struct HeadlessRecord {
    std::map<std::int64_t, RecordedWindow> windows;
    std::vector<RecordedMessage> messages;
    std::vector<RecordedMenuEntry> menu_entries;  // in the order added
    std::map<std::int64_t, RecordedTextArea> text_areas;
    std::map<std::int64_t, std::vector<RecordedRadioButton>> radio_buttons;  // by window
    std::vector<RecordedButton> buttons;
    std::vector<RecordedFileDialog> file_dialogs;
    std::vector<PlotData> plots;  // as displayed
    std::vector<std::int64_t> plots_beside;  // the window each plot opened beside
    std::int64_t refreshes = 0;

    // The menu entry or button of that title (the first one), or -1.
    std::int64_t entry_id(const std::string& title) const;
    const RecordedMenuEntry* menu_entry(const std::string& title) const;
};

class HeadlessBackend : public WindowBackend {
public:
    // ---- the script and the record
    void set_screen_size(ScreenSize size);
    void answer_file_dialog(std::optional<std::string> answer);  // nullopt: Cancel
    HeadlessRecord record() const;
    // Waits until the record satisfies the condition; false when the time ran out.
    bool wait_until(const std::function<bool(const HeadlessRecord&)>& condition,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // ---- the user's actions
    void choose(std::int64_t entry);  // a menu item or a button
    void choose(const std::string& title);
    void click_radio_button(std::int64_t window, std::int64_t index);
    void close_frame(std::int64_t window);

    // ---- WindowBackend
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
    template <typename F>
    void change(F&& f);
    RecordedRadioButton* radio(std::int64_t window, std::int64_t index);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    HeadlessRecord record_;
    ScreenSize screen_{1920, 1040};
    std::deque<std::optional<std::string>> file_answers_;
};

// Installs a fresh headless back end for its lifetime (the window layer starts
// empty) and restores the working folder, which file dialogs may move.
class HeadlessSession {
public:
    HeadlessSession();
    ~HeadlessSession();
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;

    HeadlessBackend& backend() { return *backend_; }
    HeadlessRecord record() const { return backend_->record(); }

private:
    std::shared_ptr<HeadlessBackend> backend_;
    std::filesystem::path folder_;
};

}  // namespace imm
