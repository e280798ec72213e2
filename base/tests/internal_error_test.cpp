#include "base/internal_error.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <new>
#include <vector>

#include "base/gbk.h"

namespace velmora {
namespace {

// Exit code -1 as the parent sees it: Linux passes on only its low 8 bits.
#ifdef _WIN32
const auto exited_with_minus_one = testing::ExitedWithCode(-1);
#else
const auto exited_with_minus_one = testing::ExitedWithCode(255);
#endif

TEST(InternalError, MessageTextWithAndWithoutNumber) {
    EXPECT_EQ(internal_error_text(4, gbk("数组成员引用下标必须大于等于1")),
              gbk("运行时出错!") + "\r\n\r\n" + gbk("错误代码：") + "4\r\n\r\n" +
                  gbk("错误信息：") + gbk("数组成员引用下标必须大于等于1") + "\r\n");
    EXPECT_EQ(internal_error_text(std::nullopt, "x"),
              gbk("运行时出错!") + "\r\n\r\n" + gbk("错误信息：") + "x\r\n");
}

// The default reporter writes the message, as UTF-8, to standard error. (On Windows it
// is a message box, which a test cannot close.)
#ifndef _WIN32
TEST(InternalErrorDeathTest, EndsTheProcessWithExitCodeMinusOne) {
    EXPECT_EXIT(fail_index_out_of_range(), exited_with_minus_one,
                "运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n");
    EXPECT_EXIT(fail_index_below_one(), exited_with_minus_one,
                "错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1");
    EXPECT_EXIT(fail_out_of_memory(1048576), exited_with_minus_one,
                "运行时出错!\r\n\r\n错误信息：分配 1048576 字节内存失败!\r\n");
}
#endif

// Stands in for the window layer's message box; it sees the GBK text once.
void report_by_marker(const Text& message) {
    std::fprintf(stderr, "reported[%s]", message == internal_error_text(7, "m") ? "ok" : "bad");
}

TEST(InternalErrorDeathTest, AnInstalledReporterShowsTheMessageOnce) {
    EXPECT_EXIT(
        {
            set_internal_error_reporter(report_by_marker);
            fail_internal(7, "m");
        },
        exited_with_minus_one, "^reported\\[ok\\]$");
}

TEST(InternalErrorDeathTest, AReporterThatFailsItselfStillEndsTheProcess) {
    EXPECT_EXIT(
        {
            set_internal_error_reporter([](const Text&) {
                std::fputs("once", stderr);
                fail_index_below_one();
            });
            fail_internal(7, "m");
        },
        exited_with_minus_one, "^once$");
}

void* volatile allocation = nullptr;  // stored, so that the allocation is really made

// The sanitizers' allocators report a failed allocation themselves and never call the
// new-handler; there it is called as operator new would call it.
void allocate_more_than_there_is() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    std::get_new_handler()();
#else
    volatile std::size_t too_many = std::numeric_limits<std::size_t>::max() / 2;
    allocation = ::operator new(too_many);
#endif
}

TEST(InternalErrorDeathTest, AllocationFailureShowsTheMessageOnceAndExitsWithMinusOne) {
    EXPECT_EXIT(
        {
            install_out_of_memory_handler();
            set_internal_error_reporter([](const Text& message) {
                const bool expected =
                    message == internal_error_text(std::nullopt, gbk("分配 0 字节内存失败!"));
                // The reserve is back: the reporter can still allocate.
                std::vector<char> room(1 << 20);
                std::fprintf(stderr, "reported[%s]", expected && !room.empty() ? "ok" : "bad");
            });
            allocate_more_than_there_is();
        },
        exited_with_minus_one, "^reported\\[ok\\]$");
}

}  // namespace
}  // namespace velmora
