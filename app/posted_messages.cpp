#include "app/posted_messages.h"

#include "window/window.h"

namespace imm {

void PostedMessages::post(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        texts_.push_back(text);
    }
    wakewindow(window_);
}

void PostedMessages::show_all() {
    std::vector<std::string> texts;
    {
        std::lock_guard lock(mutex_);
        texts.swap(texts_);
    }
    for (const std::string& text : texts) {
        dlgmessage(1, text);
    }
}

}  // namespace imm
