#include "support/row_pool.h"

#include <algorithm>

namespace imm {

namespace {
constexpr std::size_t kMaxThreads = 8;
// Polls of a waiting thread: a few with a pause between them (some
// microseconds, for rounds that follow at once), then many giving the
// processor away, so that on a busy machine a thread that holds rows runs
// sooner; after those an idle worker sleeps.
constexpr int kPausePolls = 100;
constexpr int kYieldPolls = 20000;

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

RowPool::RowPool(std::size_t threads, std::size_t parallel_from)
    : parallel_from_(parallel_from), chunks_(std::max<std::size_t>(threads, 1)) {
    for (std::size_t i = 1; i < threads; ++i) workers_.emplace_back([this, i] { worker(i); });
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
    const CallerSlot::Claim call(caller_);
    if (!call.held()) {
        task(context, 0, rows);
        return;
    }
    const std::uint64_t generation = generation_.load(std::memory_order_relaxed) + 1;
    context_ = context;
    task_ = task;
    rows_ = rows;
    // About an equal share of the rows each, in whole blocks.
    const std::size_t share = (rows + chunks_.size() - 1) / chunks_.size();
    chunk_ = (share + kChunkBlock - 1) / kChunkBlock * kChunkBlock;
    // Publishes the round. Both this store and the load of the sleepers, as a
    // worker's count of itself and its load of the round, are sequentially
    // consistent: either this caller sees the worker counted, or the worker sees
    // the round before it sleeps.
    generation_.store(generation, std::memory_order_seq_cst);
    if (sleepers_.load(std::memory_order_seq_cst) > 0) {
        // A worker about to sleep holds the lock from counting itself to waiting.
        { std::lock_guard lock(sleep_); }
        wake_.notify_all();
    }
    take_chunk(0, generation);
    // Chunks whose thread has not started them are done here, the others waited
    // for. Every chunk, even one past the rows, is claimed in every round, so
    // that a thread that wakes after its round has ended finds nothing to take.
    for (std::size_t index = 1; index < chunks_.size(); ++index) {
        if (take_chunk(index, generation)) continue;
        const auto finished = [&] { return chunks_[index].finished.load(std::memory_order_acquire) == generation; };
        while (!poll_until(finished)) {
        }
    }
    std::exception_ptr failure;
    for (ChunkState& state : chunks_) {
        if (state.failure) {
            if (!failure) failure = state.failure;
            state.failure = nullptr;
        }
    }
    if (failure) std::rethrow_exception(failure);
}

bool RowPool::take_chunk(std::size_t index, std::uint64_t generation) {
    ChunkState& state = chunks_[index];
    std::uint64_t claimed = state.claimed.load(std::memory_order_relaxed);
    do {
        if (claimed >= generation) return false;
    } while (!state.claimed.compare_exchange_weak(claimed, generation, std::memory_order_acq_rel));
    const std::size_t begin = index * chunk_;
    try {
        if (begin < rows_) task_(context_, begin, std::min(begin + chunk_, rows_));
    } catch (...) {
        state.failure = std::current_exception();
    }
    state.finished.store(generation, std::memory_order_release);
    return true;
}

std::uint64_t RowPool::next_round(std::uint64_t seen) {
    const auto changed = [&] { return stop_.load() || generation_.load() != seen; };
    if (!poll_until(changed)) {
        std::unique_lock lock(sleep_);
        sleepers_.fetch_add(1);
        wake_.wait(lock, changed);
        sleepers_.fetch_sub(1);
    }
    return stop_.load() ? seen : generation_.load(std::memory_order_acquire);
}

void RowPool::worker(std::size_t index) {
    std::uint64_t seen = 0;
    for (;;) {
        const std::uint64_t generation = next_round(seen);
        if (generation == seen) return;
        seen = generation;
        take_chunk(index, generation);
    }
}

RowPoolScope::RowPoolScope(RowPool& pool) : previous_(scoped_pool.exchange(&pool, std::memory_order_acq_rel)) {}

RowPoolScope::~RowPoolScope() { scoped_pool.store(previous_, std::memory_order_release); }

}  // namespace imm
