#include "support/task_pool.h"

#include <algorithm>
#include <utility>

namespace imm {

namespace {
constexpr unsigned kMaxSharedThreads = 16;  // more than the program ever has tasks for at once
}  // namespace

TaskPool::TaskPool(std::size_t threads)
{
    for (std::size_t i = 1; i < threads; ++i) {
        workers_.emplace_back([this] { worker(); });
    }
}

TaskPool::~TaskPool()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (auto& thread : workers_) {
        thread.join();
    }
}

TaskPool& TaskPool::shared()
{
    static TaskPool pool(std::clamp(std::thread::hardware_concurrency(), 1u, kMaxSharedThreads));
    return pool;
}

void TaskPool::run(std::size_t count, void* context, Call call)
{
    if (count == 0) {
        return;
    }
    const CallerSlot::Claim one_caller(caller_);
    if (!one_caller.held()) {
        run_in_place(count, context, call);
        return;
    }
    std::unique_lock lock(mutex_);
    ++round_;
    context_ = context;
    call_task_ = call;
    count_ = count;
    next_ = 0;
    done_ = 0;
    failure_ = nullptr;
    wake_.notify_all();
    take_tasks(lock);
    finished_.wait(lock, [this] { return done_ == count_; });
    count_ = 0;
    const std::exception_ptr failure = std::exchange(failure_, nullptr);
    lock.unlock();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void TaskPool::run_in_place(std::size_t count, void* context, Call call)
{
    std::exception_ptr failure;
    for (std::size_t i = 0; i < count; ++i) {
        try {
            call(context, i);
        } catch (...) {
            if (!failure) {
                failure = std::current_exception();
            }
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void TaskPool::take_tasks(std::unique_lock<std::mutex>& lock)
{
    const Call call = call_task_;
    void* const context = context_;
    while (next_ < count_) {
        const std::size_t i = next_++;
        lock.unlock();
        std::exception_ptr failure;
        try {
            call(context, i);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !failure_) {
            failure_ = failure;
        }
        if (++done_ == count_) {
            finished_.notify_all();
        }
    }
}

void TaskPool::worker()
{
    std::unique_lock lock(mutex_);
    std::uint64_t seen = 0;
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || round_ != seen; });
        if (stop_) {
            return;
        }
        seen = round_;
        take_tasks(lock);
    }
}

}  // namespace imm
