// Information boxes that other threads ask for while the program goes on, such
// as an opener that failed after its command had ended. The command loop shows
// them between commands, so that none comes up inside another command.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace imm {

class PostedMessages {
public:
    // The window whose command loop shows them.
    explicit PostedMessages(std::int64_t window) : window_(window) {}

    // Any thread: keeps the text and wakes the window's command loop.
    void post(const std::string& text);
    // The program's thread: shows the boxes posted so far, oldest first.
    void show_all();

private:
    const std::int64_t window_;
    std::mutex mutex_;
    std::vector<std::string> texts_;
};

}  // namespace imm
