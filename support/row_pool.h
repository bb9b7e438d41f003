// Work over the data rows shared among a few threads: the rows are cut into a
// chunk for each thread, and each thread does its own, so that its rows stay
// in its cache from one round to the next. The caller does the first chunk,
// then any that their thread has not yet started, and returns when every chunk
// is done, so the rows' results can then be summed in row order and every sum
// stays the same bit for bit, however the chunks were shared. A caller that
// finds the pool busy (another caller's round, or work of this pool calling it)
// does all the rows itself.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "support/caller_slot.h"

namespace imm {

class RowPool {
public:
    // Rows below this count are done by the caller alone.
    static constexpr std::size_t kParallelFrom = 64;
    // Chunks are whole blocks of this many rows, and so start at multiples of
    // it: the rows the models take side by side and the rows summed together.
    // A chunk of fewer rows would cost more to share than to do.
    static constexpr std::size_t kChunkBlock = 32;

    // threads counts the caller; rows below parallel_from are done by the caller alone.
    explicit RowPool(std::size_t threads, std::size_t parallel_from = kParallelFrom);
    ~RowPool();
    RowPool(const RowPool&) = delete;
    RowPool& operator=(const RowPool&) = delete;

    // The program's pool: a thread for each core, at most eight, the caller
    // included; while a RowPoolScope lives, its pool instead.
    static RowPool& shared();

    // Calls work(begin, end) for consecutive ranges covering 0..rows-1. An
    // exception the work throws (that of the first such chunk) is thrown here,
    // once every chunk has ended.
    template <class Work>
    void for_rows(std::size_t rows, Work& work) {
        if (rows < parallel_from_ || workers_.empty()) {
            work(std::size_t{0}, rows);
            return;
        }
        run(rows, &work, [](void* context, std::size_t begin, std::size_t end) {
            (*static_cast<Work*>(context))(begin, end);
        });
    }

private:
    using Task = void (*)(void*, std::size_t, std::size_t);

    // The rounds that last claimed and last finished a chunk, each on a cache
    // line of its own so that claims and reports of different threads do not
    // contend.
    struct alignas(64) ChunkState {
        std::atomic<std::uint64_t> claimed{0};
        std::atomic<std::uint64_t> finished{0};
        std::exception_ptr failure;  // what the chunk's work threw in the latest round
    };

    void run(std::size_t rows, void* context, Task task);
    // Does the chunk unless another thread has claimed it; true when done here.
    // What the work throws is kept in the chunk's state.
    bool take_chunk(std::size_t index, std::uint64_t generation);
    // The generation of the next round after seen; waits for it, first
    // spinning, then asleep. Returns seen once the pool is stopping.
    std::uint64_t next_round(std::uint64_t seen);
    void worker(std::size_t index);

    std::size_t parallel_from_;
    // What the current round asks: written before the round is published, and
    // not again before every chunk has reported it.
    void* context_ = nullptr;
    Task task_ = nullptr;
    std::size_t rows_ = 0;
    std::size_t chunk_ = 0;
    std::vector<ChunkState> chunks_;  // one a thread: thread i owns chunk i
    alignas(64) std::atomic<std::uint64_t> generation_{0};  // of the latest round
    std::atomic<std::size_t> sleepers_{0};
    std::atomic<bool> stop_{false};
    CallerSlot caller_;
    std::mutex sleep_;
    std::condition_variable wake_;
    std::vector<std::thread> workers_;
};

// While it lives, RowPool::shared() is the given pool: the same work can be
// run on pools of different sizes. One scope at a time, made and ended on one thread.
class RowPoolScope {
public:
    explicit RowPoolScope(RowPool& pool);
    ~RowPoolScope();
    RowPoolScope(const RowPoolScope&) = delete;
    RowPoolScope& operator=(const RowPoolScope&) = delete;

private:
    RowPool* previous_;
};

}  // namespace imm
