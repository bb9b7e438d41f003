// Independent tasks shared among a few threads: each thread takes the next
// task index until none is left. The caller takes part and returns when every
// task is done, so each task must write only to a place of its own; then the
// results do not depend on which thread ran which task.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "support/caller_slot.h"

namespace imm {

class TaskPool {
public:
    // A pool of `threads` threads, the caller included (at least one).
    explicit TaskPool(std::size_t threads);
    ~TaskPool();
    TaskPool(const TaskPool&) = delete;
    TaskPool& operator=(const TaskPool&) = delete;

    // The program's pool: one thread per processor of the machine, at most 16.
    static TaskPool& shared();

    std::size_t threads() const { return workers_.size() + 1; }

    // Calls task(i) once for each i in 0..count-1 and returns when all are
    // done. The first exception a task throws is thrown here, after the
    // other tasks have ended. A caller that finds the pool busy (another
    // caller's round, or a task of this pool calling it) does its tasks
    // itself, in order.
    template <class Task>
    void for_each(std::size_t count, Task& task)
    {
        run(count, &task, [](void* context, std::size_t i) { (*static_cast<Task*>(context))(i); });
    }

private:
    using Call = void (*)(void*, std::size_t);

    void run(std::size_t count, void* context, Call call);
    static void run_in_place(std::size_t count, void* context, Call call);
    // Takes tasks of the current round until none is left.
    void take_tasks(std::unique_lock<std::mutex>& lock);
    void worker();

    std::vector<std::thread> workers_;
    CallerSlot caller_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    // The current round, guarded by mutex_.
    std::uint64_t round_ = 0;
    void* context_ = nullptr;
    Call call_task_ = nullptr;
    std::size_t count_ = 0;
    std::size_t next_ = 0;
    std::size_t done_ = 0;
    std::exception_ptr failure_;
    bool stop_ = false;
};

}  // namespace imm
