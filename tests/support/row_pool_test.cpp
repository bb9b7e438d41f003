#include "support/row_pool.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace imm {
namespace {

// Every row is done exactly once, by ranges that cover 0..rows-1.
TEST(RowPool, EveryRowOnceWhateverTheCount) {
    RowPool pool(4);
    for (const std::size_t rows : {std::size_t{0}, std::size_t{1}, RowPool::kParallelFrom - 1,
                                   RowPool::kParallelFrom, std::size_t{999}, std::size_t{1000}}) {
        std::vector<std::atomic<int>> done(rows);
        std::atomic<std::size_t> calls{0};
        auto work = [&](std::size_t begin, std::size_t end) {
            ++calls;
            for (std::size_t k = begin; k < end; ++k) ++done[k];
        };
        for (int repeat = 0; repeat < 50; ++repeat) pool.for_rows(rows, work);
        for (std::size_t k = 0; k < rows; ++k) EXPECT_EQ(done[k], 50) << "row " << k << " of " << rows;
        if (rows < RowPool::kParallelFrom) {
            EXPECT_EQ(calls, 50u);
        }
    }
}

// Rounds of changing sizes, one after another on pools with more threads than
// the machine may run at once, so that late threads meet rounds already
// done: each round does every row once, in chunks that start on a block.
TEST(RowPool, RoundsOfChangingSizesDoEveryRowOnceInWholeBlocks) {
    for (const std::size_t threads : {2u, 5u, 16u}) {
        RowPool pool(threads, 1);
        std::vector<std::atomic<int>> done(1000);
        std::atomic<bool> off_block{false};
        for (int round = 0; round < 300; ++round) {
            const std::size_t rows = std::array<std::size_t, 6>{1000, 64, 1, 333, 32, 999}[round % 6];
            auto work = [&](std::size_t begin, std::size_t end) {
                if (begin % RowPool::kChunkBlock != 0) off_block = true;
                for (std::size_t k = begin; k < end; ++k) ++done[k];
            };
            pool.for_rows(rows, work);
            for (std::size_t k = 0; k < rows; ++k) {
                ASSERT_EQ(done[k].exchange(0), 1) << threads << " threads, round " << round << ", row " << k;
            }
        }
        EXPECT_FALSE(off_block) << threads << " threads";
    }
}

// A pool of one thread does the work on the caller.
TEST(RowPool, SingleThreadPoolRunsOnTheCaller) {
    RowPool pool(1);
    std::set<std::thread::id> threads;
    auto work = [&](std::size_t, std::size_t) { threads.insert(std::this_thread::get_id()); };
    pool.for_rows(1000, work);
    EXPECT_EQ(threads, (std::set<std::thread::id>{std::this_thread::get_id()}));
}

// While a scope lives, the program's pool is the scope's; then the one before again.
TEST(RowPool, ScopeLendsItsPoolToTheProgram) {
    RowPool& program = RowPool::shared();
    RowPool outer_pool(2);
    RowPool inner_pool(1);
    {
        RowPoolScope outer(outer_pool);
        EXPECT_EQ(&RowPool::shared(), &outer_pool);
        {
            RowPoolScope inner(inner_pool);
            EXPECT_EQ(&RowPool::shared(), &inner_pool);
        }
        EXPECT_EQ(&RowPool::shared(), &outer_pool);
    }
    EXPECT_EQ(&RowPool::shared(), &program);
}

// Below its threshold a pool leaves the rows to the caller.
TEST(RowPool, RowsBelowTheThresholdStayWithTheCaller) {
    RowPool pool(4, 64);
    std::set<std::thread::id> threads;
    std::size_t calls = 0;
    auto work = [&](std::size_t, std::size_t) {
        threads.insert(std::this_thread::get_id());
        ++calls;
    };
    pool.for_rows(63, work);
    EXPECT_EQ(threads, (std::set<std::thread::id>{std::this_thread::get_id()}));
    EXPECT_EQ(calls, 1u);
}

// What the work throws on any thread reaches the caller once the round is
// over, and the pool goes on; work that uses its own pool does those rows itself.
TEST(RowPool, WorkersExceptionsReachTheCallerAndNestedRoundsRunInPlace) {
    RowPool pool(4, 1);
    auto failing = [](std::size_t begin, std::size_t) {
        if (begin > 0) throw std::runtime_error("a worker's chunk");
    };
    for (int round = 0; round < 20; ++round) {
        EXPECT_THROW(pool.for_rows(1000, failing), std::runtime_error);
    }
    std::vector<std::atomic<int>> done(1000);
    auto inner = [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k) ++done[k];
    };
    auto outer = [&](std::size_t begin, std::size_t) {
        if (begin == 0) pool.for_rows(done.size(), inner);
    };
    pool.for_rows(1000, outer);
    for (std::size_t k = 0; k < done.size(); ++k) EXPECT_EQ(done[k], 1) << "row " << k;
}

}  // namespace
}  // namespace imm
