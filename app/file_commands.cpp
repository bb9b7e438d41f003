#include "app/file_commands.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "engine/data_file_names.h"
#include "support/shared_blocks.h"
#include "support/system_reason.h"
#include "support/text_files.h"
#include "support/unit_files.h"
#include "support/unit_table.h"
#include "window/window.h"
#include "window/write_to_textbox.h"

namespace imm {

namespace {

constexpr std::int64_t kInformation = 1;
constexpr std::int64_t kError = 3;

std::string working_folder() {
    std::error_code ignored;
    return std::filesystem::current_path(ignored).string();
}

// The file beside the data file with the given extension: "x/abc.in" gives "x/abc.txt".
std::string sibling_with_extension(const std::string& data_name, const std::string& extension) {
    return std::filesystem::path(data_name).replace_extension(extension).string();
}

// Shows the file in the text editor, or greys the entry when the file is missing.
// An opener that cannot start says why; one that fails after starting says so
// once the loop is between commands.
void show_in_editor(ProgramState& program, const std::string& file, MenuEntry entry) {
    if (file_open_by_name(file)) {
        file_close_by_unit(program.last_unit);
    }
    if (!file_name_exists(file)) {
        program.menu.grey(entry);
        return;
    }
    const std::string failed = "The text editor could not be started for " + file;
    auto ended = [posted = program.posted_messages, failed](bool opened) {
        if (!opened) {
            posted->post(failed);
        }
    };
    const std::string why_not = program.options.start_editor(file, ended);
    if (!why_not.empty()) {
        dlgmessage(kInformation, failed + "\r\n" + why_not);
    }
}

}  // namespace

bool openfile(ProgramState& program) {
    program.data_file_name.clear();
    const std::string folder = working_folder();
    std::string name = (std::filesystem::path(folder) / "*.in").string();
    if (!dlgopenfile(name, "*.in", "*.in", "Enter data file")) {
        program.file_open = false;
        global_types.data_folder = folder + "/";
        program.data_file_name = "DATA.IN";
        global_types.data_file_name = program.data_file_name;
        return false;
    }
    program.file_open = true;
    global_types.data_folder = working_folder() + "/";
    program.data_file_name = name;
    global_types.data_file_name = name;
    setwindowtitle(name);
    return true;
}

void readtext(ProgramState& program) {
    const std::string report = report_name(program.data_file_name);
    global_types.data_file_name = program.data_file_name;
    program.report_name = report;
    global_types.report_file_name = report;
    UnitTable& units = UnitTable::instance();
    program.results_unit = program.last_unit = nuunit(100);
    // The record goes into the report the run left, never through a link put there since.
    if (units.open(program.results_unit, report, OpenMode::append_no_link) != io_ok) {
        const int error = UnitTable::last_error();
        dlgmessage(kError, "Textbox Data File Write - Fatal error!\r\nCould not open the output file " + report + ": " +
                               (error == ELOOP ? "it is a symbolic link" : system_reason(error)));
        units.close(program.results_unit);
        return;
    }
    write2textbox(program.text_area, report);
    units.flush(program.results_unit);
    const bool written = units.write_record(program.results_unit, "   Results written to " + report) == io_ok &&
                         units.flush(program.results_unit) == io_ok;
    const int error = UnitTable::last_error();
    units.close(program.results_unit);
    if (!written) {
        dlgmessage(kError, "Could not write to the output file " + report + ": " + system_reason(error));
    }
}

bool savetext(ProgramState& program) {
    std::string name = sibling_with_extension(program.data_file_name, ".txt");
    if (!dlgsavefile(name, "*.txt", "*.txt", "Save Data")) {
        return false;
    }
    const std::string text = gettextboxcontents(program.text_area);
    program.last_unit = nuunit(100);
    if (const std::string reason = writelines(program.last_unit, name, text); !reason.empty()) {
        dlgmessage(kError, "Could not write the file " + name + ": " + reason);
        return false;
    }
    return true;
}

void printscreen(ProgramState& program) {
    show_in_editor(program, program.report_name, MenuEntry::print_results);
}

void editfile(ProgramState& program, const std::string& file) {
    show_in_editor(program, file, MenuEntry::edit_data_file);
}

void cleartext(ProgramState& program) {
    settextboxcontents(program.text_area, "");
}

}  // namespace imm
