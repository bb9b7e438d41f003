#include "support/row_pool.h"

#include <algorithm>

namespace imm {

namespace {
constexpr std::size_t kMaxThreads = 8;
// One chunk a thread: every claim and every chunk's rows handed back cost
// transfers between cores, which outweigh the balance smaller chunks give.
// A chunk of fewer rows costs more to share than to do; chunks are whole
// blocks of the rows the models take side by side.
constexpr std::size_t kMinChunkRows = 32;
constexpr std::size_t kChunkBlock = 8;
// Polls of a waiting thread: a few with a pause between them (some
// microseconds, for rounds that follow at once), then many giving the
// processor away, so that on a busy machine a thread that holds rows runs
// sooner; after those an idle worker sleeps.
constexpr int kPausePolls = 100;
constexpr int kYieldPolls = 20000;
constexpr std::uint64_t kRowBits = 0xFFFFFFFFu;

std::uint64_t generation_of(std::uint64_t next) { return next >> 32; }

void pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Polls until the condition holds: pausing, then yielding; false when it still
// does not hold after that.
template <class Condition>
bool poll_until(Condition condition) {
    for (int poll = 0; poll < kPausePolls; ++poll) {
        if (condition()) return true;
        pause();
    }
    for (int poll = 0; poll < kYieldPolls; ++poll) {
        if (condition()) return true;
        std::this_thread::yield();
    }
    return condition();
}

std::atomic<RowPool*> scoped_pool{nullptr};
}  // namespace

RowPool::RowPool(std::size_t threads, std::size_t parallel_from) : parallel_from_(parallel_from) {
    for (std::size_t i = 1; i < threads; ++i) workers_.emplace_back([this] { worker(); });
}

RowPool::~RowPool() {
    stop_.store(true);
    { std::lock_guard lock(sleep_); }
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
    generation_ = (generation_ + 1) & kRowBits;
    Round& round = rounds_[generation_ & 1];
    round.context.store(context, std::memory_order_relaxed);
    round.task.store(task, std::memory_order_relaxed);
    round.rows.store(rows, std::memory_order_relaxed);
    // About an equal share of the rows each, in whole blocks.
    const std::size_t threads = workers_.size() + 1;
    const std::size_t share = (rows + threads - 1) / threads;
    const std::size_t chunk = (share + kChunkBlock - 1) / kChunkBlock * kChunkBlock;
    round.chunk.store(std::max(chunk, kMinChunkRows), std::memory_order_relaxed);
    done_.store(0, std::memory_order_relaxed);
    next_.store(generation_ << 32);  // publishes the round
    if (sleepers_.load() > 0) {
        // A worker about to sleep holds the lock from counting itself to waiting.
        { std::lock_guard lock(sleep_); }
        wake_.notify_all();
    }
    take_chunks(generation_);
    const auto finished = [&] { return done_.load(std::memory_order_acquire) >= rows; };
    while (!poll_until(finished)) {
    }
}

void RowPool::take_chunks(std::uint64_t generation) {
    const Round& round = rounds_[generation & 1];
    std::uint64_t next = next_.load(std::memory_order_acquire);
    for (;;) {
        if (generation_of(next) != generation) return;
        const std::size_t rows = round.rows.load(std::memory_order_relaxed);
        const std::size_t begin = next & kRowBits;
        if (begin >= rows) return;
        const std::size_t end = std::min(begin + round.chunk.load(std::memory_order_relaxed), rows);
        if (!next_.compare_exchange_weak(next, (generation << 32) | end, std::memory_order_acq_rel)) continue;
        round.task.load(std::memory_order_relaxed)(round.context.load(std::memory_order_relaxed), begin, end);
        done_.fetch_add(end - begin, std::memory_order_release);
        next = next_.load(std::memory_order_acquire);
    }
}

std::uint64_t RowPool::next_round(std::uint64_t seen) {
    const auto changed = [&] { return stop_.load() || generation_of(next_.load()) != seen; };
    if (!poll_until(changed)) {
        std::unique_lock lock(sleep_);
        sleepers_.fetch_add(1);
        wake_.wait(lock, changed);
        sleepers_.fetch_sub(1);
    }
    return stop_.load() ? seen : generation_of(next_.load(std::memory_order_acquire));
}

void RowPool::worker() {
    std::uint64_t seen = 0;
    for (;;) {
        const std::uint64_t generation = next_round(seen);
        if (generation == seen) return;
        seen = generation;
        take_chunks(generation);
    }
}

RowPoolScope::RowPoolScope(RowPool& pool) : previous_(scoped_pool.exchange(&pool, std::memory_order_acq_rel)) {}

RowPoolScope::~RowPoolScope() { scoped_pool.store(previous_, std::memory_order_release); }

}  // namespace imm
