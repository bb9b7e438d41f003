// Admits one call at a time: a thread that finds a call going on, another
// thread's or its own (a call from inside the call), is not admitted.
#pragma once

#include <atomic>
#include <thread>

namespace imm {

class CallerSlot {
public:
    // Holds the slot for the calling thread while it lives, when it was free.
    class Claim {
    public:
        explicit Claim(CallerSlot& slot) : slot_(slot) {
            std::thread::id free;
            held_ = slot_.owner_.compare_exchange_strong(free, std::this_thread::get_id(), std::memory_order_acquire);
        }
        ~Claim() {
            if (held_) slot_.owner_.store(std::thread::id(), std::memory_order_release);
        }
        Claim(const Claim&) = delete;
        Claim& operator=(const Claim&) = delete;

        bool held() const { return held_; }

    private:
        CallerSlot& slot_;
        bool held_ = false;
    };

private:
    std::atomic<std::thread::id> owner_{};
};

}  // namespace imm
