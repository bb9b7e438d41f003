// The desktop's text editor, started on a file without waiting for it.
#pragma once

#include <string>

namespace imm {

// Opens the file with the desktop's default application for plain text
// (xdg-open). False when the opener could not be started, or when it ended
// with a non-zero exit or a signal within its first few seconds; an opener
// still running then (one that waits for the editor) counts as started.
bool start_text_editor(const std::string& file);

}  // namespace imm
