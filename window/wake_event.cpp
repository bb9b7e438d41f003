#include "window/wake_event.h"

namespace imm {

void WakeEvent::set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    changed_.notify_all();
}

bool WakeEvent::wait_for(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    const bool woken = changed_.wait_for(lock, timeout, [this] { return set_; });
    set_ = false;
    return woken;
}

void WakeEvent::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return set_; });
    set_ = false;
}

}  // namespace imm
