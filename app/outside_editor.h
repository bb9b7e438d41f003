// The desktop's text editor, started on a file without waiting for it.
#pragma once

#include <functional>
#include <string>

namespace imm {

// Called on a thread of its own when the opener has ended: true when it
// exited with status 0, false on a non-zero exit or a signal.
using OpenerEnded = std::function<void(bool opened)>;

// Opens the file with the desktop's default application for plain text
// (xdg-open) and returns at once: "" when the opener was started, otherwise
// one line on why it could not be and what to do. A started opener is watched
// until it ends, however long it runs (one may wait for the editor), and its
// end is handed to `ended`.
std::string start_text_editor(const std::string& file, OpenerEnded ended);

}  // namespace imm
