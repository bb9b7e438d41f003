#include "window/window.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "support/leftover_files.h"
#include "window/headless_backend.h"
#include "window/wake_event.h"
#include "window/window_backend.h"

namespace imm {

namespace {

struct RadioButton {
    std::int64_t group = 0;
    bool checked = false;
};

struct WindowState {
    std::thread::id creator;
    bool close_flag = false;
    bool open = true;
    Procedure system_close;
    std::shared_ptr<WakeEvent> wake = std::make_shared<WakeEvent>();
    std::int64_t colour = 0;
    std::int64_t background = 0xFFFFFF;
    FontStyle font;
    std::int64_t horizontal = 0;
    std::int64_t vertical = 2;
    std::int64_t active_page = 0;
    std::int64_t radio_group = 0;
    std::vector<RadioButton> radios;
};

struct Entry {
    std::int64_t window = -1;
    Procedure procedure;
};

// The layer's state. Back-end calls are made without holding the mutex, since a
// back end may wait for a thread that itself calls into the layer.
struct Layer {
    std::mutex mutex;
    std::shared_ptr<WindowBackend> backend;
    std::vector<WindowState> windows;
    std::int64_t current = -1;
    std::int64_t next_entry = 1;
    std::map<std::int64_t, Entry> entries;
    std::shared_ptr<WakeEvent> no_window_wake = std::make_shared<WakeEvent>();
};

// Never destroyed: procedures and back-end threads may still reach it while the
// process ends.
Layer& layer() {
    static Layer* const instance = new Layer;
    return *instance;
}

// The window whose procedure the calling thread is running, or -1.
thread_local std::int64_t procedure_window = -1;

std::shared_ptr<WindowBackend> backend() {
    Layer& l = layer();
    std::lock_guard lock(l.mutex);
    if (!l.backend) {
        l.backend = std::make_shared<HeadlessBackend>();
    }
    return l.backend;
}

bool valid(const Layer& l, std::int64_t id) {
    return id >= 0 && id < static_cast<std::int64_t>(l.windows.size());
}

// Runs f(state, id) on the current window under the lock; returns false without one.
template <typename F>
bool with_current(F&& f) {
    Layer& l = layer();
    std::lock_guard lock(l.mutex);
    if (!valid(l, l.current)) {
        return false;
    }
    f(l.windows[static_cast<std::size_t>(l.current)], l.current);
    return true;
}

std::int64_t current_window() {
    Layer& l = layer();
    std::lock_guard lock(l.mutex);
    return l.current;
}

std::shared_ptr<WakeEvent> current_wake() {
    Layer& l = layer();
    std::lock_guard lock(l.mutex);
    return valid(l, l.current) ? l.windows[static_cast<std::size_t>(l.current)].wake : l.no_window_wake;
}

std::int64_t new_entry(Procedure procedure, std::int64_t* window) {
    Layer& l = layer();
    std::lock_guard lock(l.mutex);
    const std::int64_t id = l.next_entry++;
    *window = l.current;
    l.entries[id] = Entry{l.current, std::move(procedure)};
    return id;
}

void run_procedure(std::int64_t window, const Procedure& procedure) {
    if (!procedure) {
        return;
    }
    const std::int64_t outer = procedure_window;
    procedure_window = window;
    procedure();
    procedure_window = outer;
}

bool file_dialog(bool save, std::string& name, const std::string& filter_name, const std::string& pattern,
                 const std::string& title) {
    const auto chosen = backend()->file_dialog(FileDialogRequest{save, name, filter_name, pattern, title});
    if (!chosen) {
        return false;
    }
    name = *chosen;
    std::error_code ignored;
    const auto folder = std::filesystem::path(name).parent_path();
    if (!folder.empty()) {
        std::filesystem::current_path(folder, ignored);
    }
    return true;
}

}  // namespace

void install_window_backend(std::shared_ptr<WindowBackend> installed) {
    Layer& l = layer();
    std::lock_guard lock(l.mutex);
    l.backend = std::move(installed);
    l.windows.clear();
    l.entries.clear();
    l.current = -1;
    l.next_entry = 1;
    l.no_window_wake = std::make_shared<WakeEvent>();
}

std::shared_ptr<WindowBackend> installed_window_backend() {
    return backend();
}

// ---- windows

std::int64_t initwindow(std::int64_t width, std::int64_t height, const std::string& title, std::int64_t x,
                        std::int64_t y, bool closeflag) {
    auto shown = backend();
    std::int64_t id = 0;
    {
        Layer& l = layer();
        std::lock_guard lock(l.mutex);
        id = static_cast<std::int64_t>(l.windows.size());
        WindowState state;
        state.creator = std::this_thread::get_id();
        state.close_flag = closeflag;
        l.windows.push_back(std::move(state));
        l.current = id;
    }
    shown->open_window(WindowSpec{id, width, height, title, x, y, closeflag});
    return id;
}

void closewindow(std::int64_t id) {
    {
        Layer& l = layer();
        std::lock_guard lock(l.mutex);
        if (!valid(l, id) || !l.windows[static_cast<std::size_t>(id)].open) {
            return;
        }
        l.windows[static_cast<std::size_t>(id)].open = false;
    }
    backend()->close_window(id);
}

void setcurrentwindow(std::int64_t id) {
    Layer& l = layer();
    std::lock_guard lock(l.mutex);
    if (valid(l, id)) {
        l.current = id;
    }
}

std::int64_t getcurrentwindow() {
    return current_window();
}

std::int64_t getsignallingwindow() {
    Layer& l = layer();
    std::lock_guard lock(l.mutex);
    const auto self = std::this_thread::get_id();
    for (std::size_t id = 0; id < l.windows.size(); ++id) {
        const WindowState& w = l.windows[id];
        if (w.open && (w.creator == self || procedure_window == static_cast<std::int64_t>(id))) {
            return static_cast<std::int64_t>(id);
        }
    }
    return l.current;
}

std::int64_t getactivepage() {
    std::int64_t page = 0;
    with_current([&](WindowState& w, std::int64_t) { page = w.active_page; });
    return page;
}

void setactivepage(std::int64_t page) {
    with_current([&](WindowState& w, std::int64_t) { w.active_page = page; });
}

std::int64_t getmaxwidth() {
    return backend()->screen_size().width;
}

std::int64_t getmaxheight() {
    return backend()->screen_size().height;
}

std::int64_t getmaxx() {
    const std::int64_t id = current_window();
    return id < 0 ? 0 : backend()->client_size(id).width - 1;
}

std::int64_t getmaxy() {
    const std::int64_t id = current_window();
    return id < 0 ? 0 : backend()->client_size(id).height - 1;
}

void setwindowtitle(const std::string& title) {
    const std::int64_t id = current_window();
    if (id >= 0) {
        backend()->set_window_title(id, title);
    }
}

void enablewindow(std::int64_t id, bool flag) {
    {
        Layer& l = layer();
        std::lock_guard lock(l.mutex);
        if (!valid(l, id)) {
            return;
        }
    }
    backend()->enable_window(id, flag);
}

void setwindowsystemclosecallback(Procedure procedure) {
    with_current([&](WindowState& w, std::int64_t) { w.system_close = std::move(procedure); });
}

// ---- drawing

std::int64_t creatergb(std::int64_t red, std::int64_t green, std::int64_t blue) {
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}

void setcolor(std::int64_t colour) {
    with_current([&](WindowState& w, std::int64_t) { w.colour = colour; });
}

void setbkcolor(std::int64_t colour) {
    with_current([&](WindowState& w, std::int64_t) { w.background = colour; });
}

void clearviewport() {
    std::int64_t id = -1;
    std::int64_t background = 0;
    with_current([&](WindowState& w, std::int64_t i) {
        id = i;
        background = w.background;
    });
    if (id >= 0) {
        backend()->clear_viewport(id, background);
    }
}

void settextstyle(std::int64_t font, std::int64_t direction, std::int64_t size) {
    with_current([&](WindowState& w, std::int64_t) { w.font = FontStyle{font, direction, size}; });
}

void setmatchthemetextstyle() {
    with_current([&](WindowState& w, std::int64_t) { w.font = FontStyle{}; });
}

void settextjustify(std::int64_t horizontal, std::int64_t vertical) {
    with_current([&](WindowState& w, std::int64_t) {
        w.horizontal = horizontal;
        w.vertical = vertical;
    });
}

std::int64_t textwidth(const std::string& text) {
    FontStyle font;
    with_current([&](WindowState& w, std::int64_t) { font = w.font; });
    return backend()->text_width(font, text);
}

void outtextxy(std::int64_t x, std::int64_t y, const std::string& text) {
    std::int64_t id = -1;
    TextPlacement placement;
    placement.x = x;
    placement.y = y;
    placement.text = text;
    with_current([&](WindowState& w, std::int64_t i) {
        id = i;
        placement.colour = w.colour;
        placement.font = w.font;
        placement.horizontal = w.horizontal;
        placement.vertical = w.vertical;
    });
    if (id >= 0) {
        backend()->draw_text(id, placement);
    }
}

// Texts are UTF-8 throughout; there is no other text mode to switch to.
void useansitext() {}

void refreshall() {
    backend()->refresh_all();
}

// Windows repaint whenever they need to; nothing to switch.
void setrefreshing(bool) {}

// The toolkit already scales for the screen.
void setapplicationdpiaware() {}

std::int64_t scaledpi(std::int64_t n) {
    return n;
}

// ---- text area

std::int64_t createmultilinetextbox(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                                    bool wrap) {
    std::int64_t window = -1;
    const std::int64_t id = new_entry(nullptr, &window);
    backend()->create_text_area(window, id, Rect{x, y, width, height}, wrap);
    return id;
}

void enabletextbox(std::int64_t id, bool flag) {
    backend()->enable_text_area(id, flag);
}

void settextboxvisible(std::int64_t id, bool flag) {
    backend()->set_text_area_visible(id, flag);
}

void settextboxfocused(std::int64_t id) {
    backend()->focus_text_area(id);
}

void settextboxcontents(std::int64_t id, const std::string& text) {
    backend()->set_text_area_contents(id, text);
}

void settextboxcursorposition(std::int64_t id, std::int64_t position) {
    backend()->set_text_area_cursor(id, position);
}

void inserttextboxtext(std::int64_t id, const std::string& text) {
    backend()->insert_text_area_text(id, text);
}

void appendtextboxtext(std::int64_t id, const std::string& text) {
    backend()->append_text_area_text(id, text);
}

std::int64_t gettextboxlength(std::int64_t id) {
    return static_cast<std::int64_t>(backend()->text_area_contents(id).size());
}

std::string gettextboxcontents(std::int64_t id) {
    return backend()->text_area_contents(id);
}

// ---- menus and controls

std::int64_t addmenu(const std::string& title, std::int64_t parent) {
    std::int64_t window = -1;
    const std::int64_t id = new_entry(nullptr, &window);
    backend()->add_menu(window, id, parent, title);
    return id;
}

std::int64_t addmenuitem(const std::string& title, std::int64_t menu, Procedure procedure) {
    std::int64_t window = -1;
    const std::int64_t id = new_entry(std::move(procedure), &window);
    backend()->add_menu_item(window, id, menu, title);
    return id;
}

void enablemenuitem(std::int64_t id, bool flag) {
    backend()->enable_menu_entry(id, flag);
}

void beginradiogroup() {
    with_current([](WindowState& w, std::int64_t) { ++w.radio_group; });
}

std::int64_t createradiobutton(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                               const std::string& text) {
    std::int64_t window = -1;
    std::int64_t index = -1;
    with_current([&](WindowState& w, std::int64_t i) {
        window = i;
        index = static_cast<std::int64_t>(w.radios.size());
        w.radios.push_back(RadioButton{w.radio_group, false});
    });
    if (window >= 0) {
        backend()->create_radio_button(window, index, Rect{x, y, width, height}, text);
    }
    return index;
}

bool radiobuttonischecked(std::int64_t index) {
    bool checked = false;
    with_current([&](WindowState& w, std::int64_t) {
        if (index >= 0 && index < static_cast<std::int64_t>(w.radios.size())) {
            checked = w.radios[static_cast<std::size_t>(index)].checked;
        }
    });
    return checked;
}

void radiobuttonsetchecked(std::int64_t index, bool flag) {
    std::int64_t window = -1;
    with_current([&](WindowState& w, std::int64_t i) {
        if (index >= 0 && index < static_cast<std::int64_t>(w.radios.size())) {
            w.radios[static_cast<std::size_t>(index)].checked = flag;
            window = i;
        }
    });
    if (window >= 0) {
        backend()->set_radio_button_checked(window, index, flag);
    }
}

void setradiobuttonvisible(std::int64_t index, bool flag) {
    const std::int64_t window = current_window();
    if (window >= 0) {
        backend()->set_radio_button_visible(window, index, flag);
    }
}

std::int64_t createbutton(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                          const std::string& text, Procedure procedure) {
    std::int64_t window = -1;
    const std::int64_t id = new_entry(std::move(procedure), &window);
    backend()->create_button(window, id, Rect{x, y, width, height}, text);
    return id;
}

// ---- idle

void startidle(std::int64_t milliseconds) {
    current_wake()->wait_for(std::chrono::milliseconds(std::max<std::int64_t>(milliseconds, 0)));
}

void stopidle() {
    current_wake()->set();
}

void loop() {
    current_wake()->wait();
}

void wakewindow(std::int64_t id) {
    std::shared_ptr<WakeEvent> wake;
    {
        Layer& l = layer();
        std::lock_guard lock(l.mutex);
        if (!valid(l, id)) {
            return;
        }
        wake = l.windows[static_cast<std::size_t>(id)].wake;
    }
    wake->set();
}

// ---- dialogs

std::string message_caption(std::int64_t kind) {
    switch (kind) {
        case 2:
            return "Warning";
        case 3:
            return "Error";
        default:
            return "Information";
    }
}

void dlgmessage(std::int64_t kind, const std::string& text) {
    backend()->message_box(kind, message_caption(kind), text);
}

bool dlgopenfile(std::string& name, const std::string& filter_name, const std::string& pattern,
                 const std::string& title) {
    return file_dialog(false, name, filter_name, pattern, title);
}

bool dlgsavefile(std::string& name, const std::string& filter_name, const std::string& pattern,
                 const std::string& title) {
    return file_dialog(true, name, filter_name, pattern, title);
}

// ---- what the back end reports

namespace window_events {

void entry_chosen(std::int64_t entry) {
    Entry chosen;
    {
        Layer& l = layer();
        std::lock_guard lock(l.mutex);
        const auto found = l.entries.find(entry);
        if (found == l.entries.end()) {
            return;
        }
        chosen = found->second;
    }
    run_procedure(chosen.window, chosen.procedure);
}

void radio_button_clicked(std::int64_t window, std::int64_t index) {
    std::vector<std::pair<std::int64_t, bool>> states;
    {
        Layer& l = layer();
        std::lock_guard lock(l.mutex);
        if (!valid(l, window)) {
            return;
        }
        auto& radios = l.windows[static_cast<std::size_t>(window)].radios;
        if (index < 0 || index >= static_cast<std::int64_t>(radios.size())) {
            return;
        }
        const std::int64_t group = radios[static_cast<std::size_t>(index)].group;
        for (std::size_t i = 0; i < radios.size(); ++i) {
            if (radios[i].group == group) {
                radios[i].checked = static_cast<std::int64_t>(i) == index;
                states.emplace_back(static_cast<std::int64_t>(i), radios[i].checked);
            }
        }
    }
    auto shown = backend();
    for (const auto& [i, checked] : states) {
        shown->set_radio_button_checked(window, i, checked);
    }
}

void frame_close_requested(std::int64_t window) {
    bool close_flag = false;
    Procedure system_close;
    std::shared_ptr<WakeEvent> wake;
    {
        Layer& l = layer();
        std::lock_guard lock(l.mutex);
        if (!valid(l, window) || !l.windows[static_cast<std::size_t>(window)].open) {
            return;
        }
        const WindowState& w = l.windows[static_cast<std::size_t>(window)];
        close_flag = w.close_flag;
        system_close = w.system_close;
        wake = w.wake;
    }
    if (close_flag) {
        // At once, even mid-computation: no static destructors that would race
        // the program's thread; a temporary file of the computation goes too.
        end_process_now();
    }
    run_procedure(window, system_close);
    wake->set();
    closewindow(window);
}

}  // namespace window_events

}  // namespace imm
