#include "support/row_pool.h"

#include <algorithm>

namespace imm {

namespace {
constexpr std::size_t kMaxThreads = 4;
constexpr std::size_t kChunksPerThread = 4;
constexpr int kSpins = 20000;  // polls of a worker before it sleeps
}  // namespace

RowPool::RowPool(std::size_t threads) {
    for (std::size_t i = 1; i < threads; ++i) workers_.emplace_back([this] { worker(); });
}

RowPool::~RowPool() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        generation_.fetch_add(1, std::memory_order_release);
    }
    wake_.notify_all();
    for (auto& thread : workers_) thread.join();
}

RowPool& RowPool::shared() {
    static RowPool pool(std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, kMaxThreads));
    return pool;
}

void RowPool::run(std::size_t rows, void* context, Task task) {
    std::lock_guard call(call_);
    {
        std::lock_guard lock(mutex_);
        context_ = context;
        task_ = task;
        rows_ = rows;
        const std::size_t chunks = (workers_.size() + 1) * kChunksPerThread;
        chunk_ = (rows + chunks - 1) / chunks;
        next_.store(0, std::memory_order_relaxed);
        busy_ = workers_.size();
        generation_.fetch_add(1, std::memory_order_release);
    }
    wake_.notify_all();
    take_chunks();
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return busy_ == 0; });
}

void RowPool::take_chunks() {
    for (;;) {
        const std::size_t begin = next_.fetch_add(chunk_, std::memory_order_relaxed);
        if (begin >= rows_) return;
        task_(context_, begin, std::min(begin + chunk_, rows_));
    }
}

void RowPool::worker() {
    std::uint64_t seen = 0;
    for (;;) {
        for (int spin = 0; spin < kSpins && generation_.load(std::memory_order_acquire) == seen; ++spin) {
            std::this_thread::yield();
        }
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return generation_.load(std::memory_order_relaxed) != seen; });
            seen = generation_.load(std::memory_order_relaxed);
            if (stop_) return;
        }
        take_chunks();
        std::lock_guard lock(mutex_);
        if (--busy_ == 0) done_.notify_one();
    }
}

}  // namespace imm
