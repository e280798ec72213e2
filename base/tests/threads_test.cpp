#include "base/threads.h"

#include <gtest/gtest.h>

#include <future>

namespace velmora {
namespace {

TEST(Threads, RunsTheRoutineWithItsParameterAndLeavesNoHandleWhenNoneIsAsked) {
    size_t before = open_thread_handles();
    std::promise<std::int32_t> got;
    ASSERT_TRUE(start_thread([&got](std::int32_t parameter) { got.set_value(parameter); }, 42));
    EXPECT_EQ(got.get_future().get(), 42);
    EXPECT_EQ(open_thread_handles(), before);

    std::promise<std::int32_t> defaulted;
    ASSERT_TRUE(start_thread([&](std::int32_t parameter) { defaulted.set_value(parameter); }));
    EXPECT_EQ(defaulted.get_future().get(), 0);
}

TEST(Threads, AHandleStaysOpenUntilClosedOnceWhileTheThreadRunsOn) {
    size_t before = open_thread_handles();
    std::promise<void> release;
    std::promise<void> finished;
    ThreadHandle handle = 0;
    ASSERT_TRUE(start_thread(
        [&](std::int32_t) {
            release.get_future().wait();
            finished.set_value();
        },
        0, &handle));
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(open_thread_handles(), before + 1);

    EXPECT_TRUE(close_handle(handle));  // the thread is still waiting: closing does not stop it
    EXPECT_EQ(open_thread_handles(), before);
    EXPECT_FALSE(close_handle(handle));
    release.set_value();
    finished.get_future().wait();
}

TEST(Threads, HandlesAreDistinctAndUnknownOnesDoNotClose) {
    ThreadHandle first = 0;
    ThreadHandle second = 0;
    ASSERT_TRUE(start_thread([](std::int32_t) {}, 0, &first));
    ASSERT_TRUE(start_thread([](std::int32_t) {}, 0, &second));
    EXPECT_NE(first, second);
    EXPECT_FALSE(close_handle(0));
    EXPECT_FALSE(close_handle(second + 1000));
    EXPECT_TRUE(close_handle(first));
    EXPECT_TRUE(close_handle(second));
}

TEST(Threads, AnEmptyRoutineStartsNothing) {
    ThreadHandle handle = 0;
    EXPECT_FALSE(start_thread(ThreadRoutine(), 0, &handle));
    EXPECT_EQ(handle, 0u);
}

}  // namespace
}  // namespace velmora
