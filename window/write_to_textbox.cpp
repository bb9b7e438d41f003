#include "window/write_to_textbox.h"

#include <string>

#include "support/strings.h"
#include "support/text_files.h"
#include "support/unit_table.h"
#include "window/window.h"

namespace imm {

namespace {

// Lines are gathered into insertions of about this size: each insertion is one
// wait for the window's thread, which shows the text between two of them.
constexpr std::size_t kInsertionBytes = 64 * 1024;

}  // namespace

std::int64_t write2textbox(std::int64_t area, std::string_view name) {
    enabletextbox(area, true);
    settextboxfocused(area);
    settextboxvisible(area, true);
    const TextboxLines lines = textbox_lines_from_file(name);
    if (lines.status != io_ok) {
        dlgmessage(3, "Could not open the file " +
                          std::string(name.substr(0, static_cast<std::size_t>(s_len_trim(name)))) +
                          "\r\nfor the text area.");
        return lines.status;
    }
    std::string insertion;
    insertion.reserve(kInsertionBytes);
    for (const std::string& text : lines.texts) {
        if (!insertion.empty() && insertion.size() + text.size() > kInsertionBytes) {
            inserttextboxtext(area, insertion);
            insertion.clear();
        }
        insertion += text;
    }
    if (!insertion.empty()) {
        inserttextboxtext(area, insertion);
    }
    return io_ok;
}

}  // namespace imm
