#include "support/leftover_files.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace imm {

namespace {

// A slot's states: claimed while its name is written, removing once a signal
// handler or end_process_now has taken it.
enum SlotState : int { kFree, kClaimed, kWatched, kRemoving };

struct Slot {
    std::atomic<int> state{kFree};
    char name[PATH_MAX];
};

constexpr std::size_t kSlots = 4;
std::array<Slot, kSlots> slots;

// Only what a signal handler may call.
void remove_watched() {
    for (Slot& slot : slots) {
        int expected = kWatched;
        if (slot.state.compare_exchange_strong(expected, kRemoving)) ::unlink(slot.name);
    }
}

extern "C" void end_on_signal(int signal) {
    remove_watched();
    struct sigaction fallback{};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);  // delivered with the default action once this handler returns
}

}  // namespace

LeftoverName::~LeftoverName() { release(); }

void LeftoverName::watch(const std::string& name) {
    release();
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(name, ec).string();
    if (ec || absolute.size() >= PATH_MAX) return;
    for (std::size_t i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!slots[i].state.compare_exchange_strong(expected, kClaimed)) continue;
        std::memcpy(slots[i].name, absolute.c_str(), absolute.size() + 1);
        slots[i].state.store(kWatched);
        slot_ = static_cast<int>(i);
        return;
    }
}

void LeftoverName::release() {
    if (slot_ < 0) return;
    // A slot that is being removed stays taken: its process is ending.
    int expected = kWatched;
    slots[static_cast<std::size_t>(slot_)].state.compare_exchange_strong(expected, kFree);
    slot_ = -1;
}

void remove_leftovers_on_signals() {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction current{};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action{};
        action.sa_handler = end_on_signal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

void end_process_now() {
    remove_watched();
    std::_Exit(0);
}

}  // namespace imm
