// Work over the data rows shared among a few threads: each thread takes chunks
// of rows in turn until none is left. The caller takes part and returns when
// every chunk is done, so the rows' results can then be summed in row order and
// every sum stays the same bit for bit, however the chunks were shared.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace imm {

class RowPool {
public:
    // Rows below this count are done by the caller alone.
    static constexpr std::size_t kParallelFrom = 64;

    // threads counts the caller; rows below parallel_from are done by the caller alone.
    explicit RowPool(std::size_t threads, std::size_t parallel_from = kParallelFrom);
    ~RowPool();
    RowPool(const RowPool&) = delete;
    RowPool& operator=(const RowPool&) = delete;

    // The program's pool: a thread for each core, at most eight, the caller
    // included; while a RowPoolScope lives, its pool instead.
    static RowPool& shared();

    // Calls work(begin, end) for consecutive ranges covering 0..rows-1.
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

    // What one round asks. Rounds alternate between two of these, so a new
    // round never writes the one that a late thread of the round before may
    // still read; such a thread cannot claim rows of a round gone by.
    struct Round {
        std::atomic<void*> context{nullptr};
        std::atomic<Task> task{nullptr};
        std::atomic<std::size_t> rows{0};
        std::atomic<std::size_t> chunk{0};
    };

    void run(std::size_t rows, void* context, Task task);
    // Takes chunks of the round while it is current and rows are left.
    void take_chunks(std::uint64_t generation);
    // The generation of the next round after seen; waits for it, first
    // spinning, then asleep. Returns seen once the pool is stopping.
    std::uint64_t next_round(std::uint64_t seen);
    void worker();

    std::size_t parallel_from_;
    std::array<Round, 2> rounds_;
    std::uint64_t generation_ = 0;  // of the latest round; the caller's
    // The current round's generation in the upper 32 bits, its next row in the lower 32.
    std::atomic<std::uint64_t> next_{0};
    std::atomic<std::size_t> done_{0};  // rows finished in the current round
    std::atomic<std::size_t> sleepers_{0};
    std::atomic<bool> stop_{false};
    std::mutex call_;  // one caller at a time
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
