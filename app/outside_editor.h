// The desktop's text editor, started on a file without waiting for it.
#pragma once

#include <string>

namespace imm {

// Opens the file with the desktop's default application for plain text
// (xdg-open). False when that could not be started.
bool start_text_editor(const std::string& file);

}  // namespace imm
