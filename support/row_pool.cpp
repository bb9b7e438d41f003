#include "support/row_pool.h"

#include <algorithm>

namespace imm {

namespace {
constexpr std::size_t kMaxThreads = 4;
constexpr std::size_t kChunksPerThread = 4;
constexpr int kSpins = 20000;  // polls of an idle worker before it sleeps
constexpr std::uint64_t kRowBits = 0xFFFFFFFFu;

std::uint64_t generation_of(std::uint64_t next) { return next >> 32; }

std::atomic<RowPool*> scoped_pool{nullptr};
}  // namespace

RowPool::RowPool(std::size_t threads, std::size_t parallel_from) : parallel_from_(parallel_from) {
    for (std::size_t i = 1; i < threads; ++i) workers_.emplace_back([this] { worker(); });
}

RowPool::~RowPool() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        ++round_.generation;
    }
    wake_.notify_all();
    for (auto& thread : workers_) thread.join();
}

RowPool& RowPool::shared() {
    if (RowPool* scoped = scoped_pool.load(std::memory_order_acquire)) return *scoped;
    static RowPool pool(std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, kMaxThreads));
    return pool;
}

void RowPool::run(std::size_t rows, void* context, Task task) {
    std::lock_guard call(call_);
    Round round;
    {
        std::lock_guard lock(mutex_);
        round_.generation = (round_.generation + 1) & kRowBits;
        round_.context = context;
        round_.task = task;
        round_.rows = rows;
        const std::size_t chunks = (workers_.size() + 1) * kChunksPerThread;
        round_.chunk = (rows + chunks - 1) / chunks;
        done_.store(0, std::memory_order_relaxed);
        next_.store(round_.generation << 32, std::memory_order_release);
        round = round_;
    }
    wake_.notify_all();
    take_chunks(round);
    while (done_.load(std::memory_order_acquire) < rows) std::this_thread::yield();
}

void RowPool::take_chunks(const Round& round) {
    std::uint64_t next = next_.load(std::memory_order_acquire);
    for (;;) {
        if (generation_of(next) != round.generation) return;
        const std::size_t begin = next & kRowBits;
        if (begin >= round.rows) return;
        const std::size_t end = std::min(begin + round.chunk, round.rows);
        if (!next_.compare_exchange_weak(next, (round.generation << 32) | end, std::memory_order_acq_rel)) continue;
        round.task(round.context, begin, end);
        done_.fetch_add(end - begin, std::memory_order_release);
        next = next_.load(std::memory_order_acquire);
    }
}

void RowPool::worker() {
    std::uint64_t seen = 0;
    for (;;) {
        for (int spin = 0; spin < kSpins && generation_of(next_.load(std::memory_order_acquire)) == seen; ++spin) {
            std::this_thread::yield();
        }
        Round round;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stop_ || round_.generation != seen; });
            if (stop_) return;
            round = round_;
        }
        seen = round.generation;
        take_chunks(round);
    }
}

RowPoolScope::RowPoolScope(RowPool& pool) : previous_(scoped_pool.exchange(&pool, std::memory_order_acq_rel)) {}

RowPoolScope::~RowPoolScope() { scoped_pool.store(previous_, std::memory_order_release); }

}  // namespace imm
