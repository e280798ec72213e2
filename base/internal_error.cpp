#include "base/internal_error.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "base/backend.h"
#include "base/gbk.h"

namespace velmora {

namespace {

struct ReporterSlot {
    std::mutex mutex;
    InternalErrorReporter reporter = backend::show_internal_error;
};

ReporterSlot& reporter_slot() {
    static ReporterSlot slot;
    return slot;
}

constexpr std::size_t kReserveBytes = 4 << 20;
std::atomic<void*> memory_reserve{nullptr};

void on_allocation_failure() {
    std::free(memory_reserve.exchange(nullptr));
    fail_out_of_memory(0);
}

}  // namespace

void install_out_of_memory_handler() {
    std::free(memory_reserve.exchange(std::malloc(kReserveBytes)));
    std::set_new_handler(on_allocation_failure);
}

void set_internal_error_reporter(InternalErrorReporter reporter) {
    ReporterSlot& slot = reporter_slot();
    std::lock_guard lock(slot.mutex);
    slot.reporter =
        reporter ? std::move(reporter) : InternalErrorReporter(backend::show_internal_error);
}

Text internal_error_text(std::optional<int> number, const Text& message) {
    const Text crlf = "\r\n";
    Text text = gbk("运行时出错!") + crlf + crlf;
    if (number) {
        text += gbk("错误代码：") + std::to_string(*number) + crlf + crlf;
    }
    text += gbk("错误信息：") + message + crlf;
    return text;
}

void fail_internal(std::optional<int> number, const Text& message) {
    // A reporter that itself fails must not report again (nor lock the slot twice).
    thread_local bool reporting = false;
    if (!reporting) {
        reporting = true;
        Text text = internal_error_text(number, message);
        // Held to the end: a second thread failing at the same time waits here and never
        // shows a second message, because the process exits first.
        ReporterSlot& slot = reporter_slot();
        slot.mutex.lock();
        slot.reporter(text);
    }
    std::fflush(nullptr);
    std::_Exit(-1);
}

void fail_out_of_memory(std::int64_t bytes) {
    fail_internal(std::nullopt, gbk("分配 ") + std::to_string(bytes) + gbk(" 字节内存失败!"));
}

void fail_index_out_of_range() {
    fail_internal(1, gbk("数组成员引用下标超出定义范围"));
}

void fail_index_below_one() {
    fail_internal(4, gbk("数组成员引用下标必须大于等于1"));
}

}  // namespace velmora
