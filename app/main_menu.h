// The main window's menu bar: the File and Weight menus and the 25 items, each
// storing its command code, and the groups of entries that commands enable or grey.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string_view>

namespace imm {

// The menus and items, in creation order.
enum class MenuEntry : std::size_t {
    file_menu,
    open_data,      // bar "OpenData"
    models,         // bar "Models"
    weight_menu,
    run,            // bar "Run"
    rerun,
    clear,
    xy_plot,        // bar "XY_Plot"
    rate_plot,
    residuals,
    help,
    about,          // bar "About"
    quit,           // bar "Quit"
    weight_on,      // "Turn-ON Robust Wt"
    weight_off,     // "Turn-OFF Robust Wt"
    open_data_file,
    edit_data_file,
    run_curve_fit,
    file_xy_plot,   // File "XY Plot"
    clear_display,
    save_results,
    print_results,
    mechanism,
    model_library,
    example_data_file,
    file_about,
    file_quit,
    count
};

enum class MenuParent { bar, file, weight };

struct MenuEntrySpec {
    MenuEntry entry;
    MenuParent parent;
    std::string_view title;
    std::int64_t code;  // stored by the item; -1 for a menu
    bool enabled_at_start;
};

inline constexpr std::size_t kMenuEntryCount = static_cast<std::size_t>(MenuEntry::count);

// Every menu and item, in creation order.
const std::array<MenuEntrySpec, kMenuEntryCount>& main_menu_entries();

// The entries that a finished run, Save and the other commands enable together.
inline constexpr std::initializer_list<MenuEntry> kMainEntries = {
    MenuEntry::file_menu,     MenuEntry::edit_data_file, MenuEntry::run_curve_fit, MenuEntry::save_results,
    MenuEntry::print_results, MenuEntry::about,          MenuEntry::file_about,    MenuEntry::quit,
    MenuEntry::file_quit,     MenuEntry::open_data_file, MenuEntry::model_library, MenuEntry::clear_display,
    MenuEntry::file_xy_plot,  MenuEntry::open_data,      MenuEntry::weight_menu,   MenuEntry::clear,
    MenuEntry::xy_plot,       MenuEntry::rate_plot,      MenuEntry::residuals,
};

class MainMenu {
public:
    // Builds the bar on the current window; each item's procedure is made by
    // procedure_for(code). Entries get their states at start.
    static MainMenu build(const std::function<std::function<void()>(std::int64_t code)>& procedure_for);

    std::int64_t id(MenuEntry entry) const { return ids_[static_cast<std::size_t>(entry)]; }
    void enable(std::initializer_list<MenuEntry> entries) const;
    void grey(std::initializer_list<MenuEntry> entries) const;
    void enable(MenuEntry entry) const { enable({entry}); }
    void grey(MenuEntry entry) const { grey({entry}); }

private:
    std::int64_t bar_ = -1;
    std::array<std::int64_t, kMenuEntryCount> ids_{};
};

}  // namespace imm
