// Progress of a fit in the main window's title: " |" marks appended after the
// optimisers, the title blanked when it grows long.
#pragma once

#include <cstdint>
#include <string>

namespace imm {

class ProgressTitle {
public:
    // Appends n marks (cut at 80 characters) and shows the title.
    void mark(std::int64_t n);
    // Blanks the title once its trimmed length reaches 76.
    void check();
    // A blank title, as at the start of each model.
    void clear() { text_.clear(); }
    // Shows a text of its own, as while the statistics are computed.
    static void show(const std::string& text);
    const std::string& text() const { return text_; }

private:
    std::string text_;  // trimmed
};

}  // namespace imm
