#include "app/main_menu.h"

#include <string>

#include "app/command_codes.h"
#include "window/window.h"

namespace imm {

namespace {

constexpr std::int64_t kMenu = -1;

using E = MenuEntry;
using P = MenuParent;

constexpr std::array<MenuEntrySpec, kMenuEntryCount> kEntries = {{
    {E::file_menu, P::bar, "File", kMenu, true},
    {E::open_data, P::bar, "OpenData", command::open, true},
    {E::models, P::bar, "Models", command::model_selection, true},
    {E::weight_menu, P::bar, "Weight", kMenu, false},
    {E::run, P::bar, "Run", command::run, false},
    {E::rerun, P::bar, "Rerun", command::rerun, false},
    {E::clear, P::bar, "Clear", command::clear, false},
    {E::xy_plot, P::bar, "XY_Plot", command::xy_plot, false},
    {E::rate_plot, P::bar, "Rate_Plot", command::rate_plot, false},
    {E::residuals, P::bar, "Residuals", command::residual_plot, false},
    {E::help, P::bar, "Help", command::help, true},
    {E::about, P::bar, "About", command::about, true},
    {E::quit, P::bar, "Quit", command::quit, true},
    {E::weight_on, P::weight, "Turn-ON Robust Wt", command::robust_weight_on, true},
    {E::weight_off, P::weight, "Turn-OFF Robust Wt", command::robust_weight_off, false},
    {E::open_data_file, P::file, "Open Data File", command::open, true},
    {E::edit_data_file, P::file, "Edit Data File", command::edit_data, false},
    {E::run_curve_fit, P::file, "Run Curve-fit", command::run, false},
    {E::file_xy_plot, P::file, "XY Plot", command::xy_plot, false},
    {E::clear_display, P::file, "Clear Display", command::clear, false},
    {E::save_results, P::file, "Save Results", command::save, false},
    {E::print_results, P::file, "Print Results", command::print, false},
    {E::mechanism, P::file, "Enzymatic Mechanism", command::mechanism, true},
    {E::model_library, P::file, "Model Library", command::model_library_text, true},
    {E::example_data_file, P::file, "Example Data File", command::example_file, true},
    {E::file_about, P::file, "About", command::about, true},
    {E::file_quit, P::file, "Quit", command::quit, true},
}};

}  // namespace

const std::array<MenuEntrySpec, kMenuEntryCount>& main_menu_entries() {
    return kEntries;
}

MainMenu MainMenu::build(const std::function<std::function<void()>(std::int64_t code)>& procedure_for) {
    MainMenu menu;
    menu.bar_ = addmenu("", -1);
    std::int64_t file = -1;
    std::int64_t weight = -1;
    for (const MenuEntrySpec& item : kEntries) {
        const std::string title(item.title);
        std::int64_t id = -1;
        if (item.code == kMenu) {
            id = addmenu(title, menu.bar_);
            (item.entry == E::file_menu ? file : weight) = id;
        } else {
            const std::int64_t parent = item.parent == P::bar ? menu.bar_ : item.parent == P::file ? file : weight;
            id = addmenuitem(title, parent, procedure_for(item.code));
        }
        menu.ids_[static_cast<std::size_t>(item.entry)] = id;
    }
    for (const MenuEntrySpec& item : kEntries) {
        enablemenuitem(menu.id(item.entry), item.enabled_at_start);
    }
    return menu;
}

void MainMenu::enable(std::initializer_list<MenuEntry> entries) const {
    for (const MenuEntry entry : entries) {
        enablemenuitem(id(entry), true);
    }
}

void MainMenu::grey(std::initializer_list<MenuEntry> entries) const {
    for (const MenuEntry entry : entries) {
        enablemenuitem(id(entry), false);
    }
}

}  // namespace imm
