// A latched wake-up: set() before a wait counts once however often it is
// called, and a wait consumes it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace imm {

class WakeEvent {
public:
    void set();
    // True when woken, false when the time ran out.
    bool wait_for(std::chrono::milliseconds timeout);
    void wait();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace imm
