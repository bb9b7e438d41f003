#include "support/task_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace imm {
namespace {

TEST(TaskPool, EveryTaskRunsOnceWhateverThePoolSize)
{
    for (const std::size_t threads : {1u, 3u, 8u}) {
        TaskPool pool(threads);
        EXPECT_EQ(pool.threads(), threads);
        // Several rounds on one pool, with fewer, as many and more tasks than threads.
        for (const std::size_t count : {0u, 1u, 2u, 10u, 100u}) {
            std::vector<int> runs(count, 0);
            auto task = [&runs](std::size_t i) { ++runs[i]; };
            pool.for_each(count, task);
            EXPECT_EQ(runs, std::vector<int>(count, 1)) << threads << " threads, " << count << " tasks";
        }
    }
}

TEST(TaskPool, ATasksExceptionReachesTheCallerAfterTheOtherTasks)
{
    TaskPool pool(4);
    std::atomic<int> finished{0};
    auto task = [&finished](std::size_t i) {
        if (i == 3) {
            throw std::runtime_error("task 3");
        }
        ++finished;
    };
    try {
        pool.for_each(20, task);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "task 3");
    }
    EXPECT_EQ(finished.load(), 19);
    // The pool goes on working.
    std::vector<int> runs(5, 0);
    auto count = [&runs](std::size_t i) { ++runs[i]; };
    pool.for_each(runs.size(), count);
    EXPECT_EQ(runs, std::vector<int>(5, 1));
}

// A task that uses its own pool does that work itself: the pool is busy.
TEST(TaskPool, ATaskUsingItsOwnPoolDoesThatWorkInPlace)
{
    TaskPool pool(3);
    std::vector<std::vector<int>> runs(4, std::vector<int>(5, 0));
    auto outer = [&](std::size_t i) {
        auto inner = [&runs, i](std::size_t j) { ++runs[i][j]; };
        pool.for_each(5, inner);
    };
    pool.for_each(runs.size(), outer);
    EXPECT_EQ(runs, std::vector<std::vector<int>>(4, std::vector<int>(5, 1)));
}

}  // namespace
}  // namespace imm
