#include "window/headless_backend.h"

#include <algorithm>

namespace imm {

std::int64_t HeadlessRecord::entry_id(const std::string& title) const {
    if (const RecordedMenuEntry* entry = menu_entry(title)) {
        return entry->id;
    }
    for (const RecordedButton& button : buttons) {
        if (button.text == title) {
            return button.id;
        }
    }
    return -1;
}

const RecordedMenuEntry* HeadlessRecord::menu_entry(const std::string& title) const {
    for (const RecordedMenuEntry& entry : menu_entries) {
        if (entry.title == title) {
            return &entry;
        }
    }
    return nullptr;
}

template <typename F>
void HeadlessBackend::change(F&& f) {
    {
        std::lock_guard lock(mutex_);
        f(record_);
    }
    changed_.notify_all();
}

RecordedRadioButton* HeadlessBackend::radio(std::int64_t window, std::int64_t index) {
    auto& buttons = record_.radio_buttons[window];
    if (index < 0 || index >= static_cast<std::int64_t>(buttons.size())) {
        return nullptr;
    }
    return &buttons[static_cast<std::size_t>(index)];
}

void HeadlessBackend::set_screen_size(ScreenSize size) {
    std::lock_guard lock(mutex_);
    screen_ = size;
}

void HeadlessBackend::answer_file_dialog(std::optional<std::string> answer) {
    std::lock_guard lock(mutex_);
    file_answers_.push_back(std::move(answer));
}

HeadlessRecord HeadlessBackend::record() const {
    std::lock_guard lock(mutex_);
    return record_;
}

bool HeadlessBackend::wait_until(const std::function<bool(const HeadlessRecord&)>& condition,
                                 std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return condition(record_); });
}

void HeadlessBackend::choose(std::int64_t entry) {
    window_events::entry_chosen(entry);
}

void HeadlessBackend::choose(const std::string& title) {
    choose(record().entry_id(title));
}

void HeadlessBackend::click_radio_button(std::int64_t window, std::int64_t index) {
    window_events::radio_button_clicked(window, index);
}

void HeadlessBackend::close_frame(std::int64_t window) {
    window_events::frame_close_requested(window);
}

ScreenSize HeadlessBackend::screen_size() {
    std::lock_guard lock(mutex_);
    return screen_;
}

void HeadlessBackend::open_window(const WindowSpec& layout) {
    change([&](HeadlessRecord& r) {
        RecordedWindow& w = r.windows[layout.id];
        w.layout = layout;
        w.title = layout.title;
        w.titles.push_back(layout.title);
    });
}

void HeadlessBackend::close_window(std::int64_t window) {
    change([&](HeadlessRecord& r) { r.windows[window].open = false; });
}

void HeadlessBackend::set_window_title(std::int64_t window, const std::string& title) {
    change([&](HeadlessRecord& r) {
        r.windows[window].title = title;
        r.windows[window].titles.push_back(title);
    });
}

void HeadlessBackend::enable_window(std::int64_t window, bool enabled) {
    change([&](HeadlessRecord& r) { r.windows[window].enabled = enabled; });
}

ScreenSize HeadlessBackend::client_size(std::int64_t window) {
    std::lock_guard lock(mutex_);
    const auto found = record_.windows.find(window);
    return found == record_.windows.end() ? ScreenSize{}
                                          : ScreenSize{found->second.layout.width, found->second.layout.height};
}

void HeadlessBackend::clear_viewport(std::int64_t window, std::int64_t colour) {
    change([&](HeadlessRecord& r) {
        r.windows[window].background = colour;
        r.windows[window].texts.clear();
    });
}

void HeadlessBackend::draw_text(std::int64_t window, const TextPlacement& text) {
    change([&](HeadlessRecord& r) { r.windows[window].texts.push_back(text); });
}

// Half the font size per character of the longest line.
std::int64_t HeadlessBackend::text_width(const FontStyle& font, const std::string& text) {
    std::size_t longest = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::size_t length = end - start;
        if (length > 0 && text[end - 1] == '\r') {
            --length;
        }
        longest = std::max(longest, length);
        start = end + 1;
    }
    return static_cast<std::int64_t>(longest) * font.size / 2;
}

void HeadlessBackend::refresh_all() {
    change([](HeadlessRecord& r) { ++r.refreshes; });
}

void HeadlessBackend::create_text_area(std::int64_t window, std::int64_t area, const Rect& rect, bool wrap) {
    change([&](HeadlessRecord& r) {
        RecordedTextArea& a = r.text_areas[area];
        a.window = window;
        a.rect = rect;
        a.wrap = wrap;
    });
}

void HeadlessBackend::enable_text_area(std::int64_t area, bool enabled) {
    change([&](HeadlessRecord& r) { r.text_areas[area].enabled = enabled; });
}

void HeadlessBackend::set_text_area_visible(std::int64_t area, bool visible) {
    change([&](HeadlessRecord& r) { r.text_areas[area].visible = visible; });
}

void HeadlessBackend::focus_text_area(std::int64_t area) {
    change([&](HeadlessRecord& r) {
        for (auto& [id, a] : r.text_areas) {
            a.focused = id == area;
        }
    });
}

void HeadlessBackend::set_text_area_contents(std::int64_t area, const std::string& text) {
    change([&](HeadlessRecord& r) {
        r.text_areas[area].contents = text;
        r.text_areas[area].cursor = 0;
    });
}

void HeadlessBackend::set_text_area_cursor(std::int64_t area, std::int64_t position) {
    change([&](HeadlessRecord& r) {
        RecordedTextArea& a = r.text_areas[area];
        a.cursor = std::clamp<std::int64_t>(position, 0, static_cast<std::int64_t>(a.contents.size()));
    });
}

void HeadlessBackend::insert_text_area_text(std::int64_t area, const std::string& text) {
    change([&](HeadlessRecord& r) {
        RecordedTextArea& a = r.text_areas[area];
        a.contents.insert(static_cast<std::size_t>(a.cursor), text);
        a.cursor += static_cast<std::int64_t>(text.size());
        ++a.insertions;
    });
}

void HeadlessBackend::append_text_area_text(std::int64_t area, const std::string& text) {
    change([&](HeadlessRecord& r) {
        RecordedTextArea& a = r.text_areas[area];
        a.contents += text;
        a.cursor = static_cast<std::int64_t>(a.contents.size());
        ++a.insertions;
    });
}

std::string HeadlessBackend::text_area_contents(std::int64_t area) {
    std::lock_guard lock(mutex_);
    const auto found = record_.text_areas.find(area);
    return found == record_.text_areas.end() ? std::string() : found->second.contents;
}

void HeadlessBackend::add_menu(std::int64_t window, std::int64_t menu, std::int64_t parent,
                               const std::string& title) {
    change([&](HeadlessRecord& r) { r.menu_entries.push_back(RecordedMenuEntry{menu, window, parent, title, true}); });
}

void HeadlessBackend::add_menu_item(std::int64_t window, std::int64_t item, std::int64_t menu,
                                    const std::string& title) {
    change([&](HeadlessRecord& r) { r.menu_entries.push_back(RecordedMenuEntry{item, window, menu, title, false}); });
}

void HeadlessBackend::enable_menu_entry(std::int64_t entry, bool enabled) {
    change([&](HeadlessRecord& r) {
        for (RecordedMenuEntry& e : r.menu_entries) {
            if (e.id == entry) {
                e.enabled = enabled;
            }
        }
    });
}

void HeadlessBackend::create_radio_button(std::int64_t window, std::int64_t index, const Rect& rect,
                                          const std::string& text) {
    change([&](HeadlessRecord& r) {
        auto& buttons = r.radio_buttons[window];
        if (static_cast<std::int64_t>(buttons.size()) <= index) {
            buttons.resize(static_cast<std::size_t>(index) + 1);
        }
        buttons[static_cast<std::size_t>(index)] = RecordedRadioButton{rect, text};
    });
}

void HeadlessBackend::set_radio_button_checked(std::int64_t window, std::int64_t index, bool checked) {
    change([&](HeadlessRecord&) {
        if (RecordedRadioButton* b = radio(window, index)) {
            b->checked = checked;
        }
    });
}

void HeadlessBackend::set_radio_button_visible(std::int64_t window, std::int64_t index, bool visible) {
    change([&](HeadlessRecord&) {
        if (RecordedRadioButton* b = radio(window, index)) {
            b->visible = visible;
        }
    });
}

void HeadlessBackend::create_button(std::int64_t window, std::int64_t button, const Rect& rect,
                                    const std::string& text) {
    change([&](HeadlessRecord& r) { r.buttons.push_back(RecordedButton{button, window, rect, text}); });
}

void HeadlessBackend::message_box(std::int64_t kind, const std::string& caption, const std::string& text) {
    change([&](HeadlessRecord& r) { r.messages.push_back(RecordedMessage{kind, caption, text}); });
}

std::optional<std::string> HeadlessBackend::file_dialog(const FileDialogRequest& request) {
    std::optional<std::string> answer;
    change([&](HeadlessRecord& r) {
        if (!file_answers_.empty()) {
            answer = file_answers_.front();
            file_answers_.pop_front();
        }
        r.file_dialogs.push_back(RecordedFileDialog{request, answer});
    });
    return answer;
}

void HeadlessBackend::display_plot(const PlotData& plot, std::int64_t beside) {
    change([&](HeadlessRecord& r) {
        r.plots.push_back(plot);
        r.plots_beside.push_back(beside);
    });
}

HeadlessSession::HeadlessSession()
    : backend_(std::make_shared<HeadlessBackend>()), folder_(std::filesystem::current_path()) {
    install_window_backend(backend_);
}

HeadlessSession::~HeadlessSession() {
    install_window_backend(nullptr);
    std::error_code ignored;
    std::filesystem::current_path(folder_, ignored);
}

}  // namespace imm
