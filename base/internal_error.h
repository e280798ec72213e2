// The end of the program on an internal error: one message, then exit code -1.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "base/types.h"

namespace velmora {

// Shows the complete message text (GBK) to the user. The default writes it to standard
// error on Linux and shows a message box on Windows; the Linux window layer installs one
// that shows a message box.
using InternalErrorReporter = std::function<void(const Text& message)>;

// Replaces the reporter; an empty function restores the default.
void set_internal_error_reporter(InternalErrorReporter reporter);

// "运行时出错!" + CR LF CR LF, then, when there is a number, "错误代码：" + number +
// CR LF CR LF, then "错误信息：" + message + CR LF.
Text internal_error_text(std::optional<int> number, const Text& message);

// Reports internal_error_text(number, message) once, then ends the process with exit
// code -1 without running destructors (other threads may still be running).
[[noreturn]] void fail_internal(std::optional<int> number, const Text& message);

// Makes an allocation that finds no memory an internal error: operator new then ends the
// program through fail_out_of_memory instead of throwing. A reserve is set aside here and
// given back first, so that the message can still be built and shown. The standard
// handler is not told the size of the failed request, so the message gives 0 bytes.
void install_out_of_memory_handler();

// The three internal errors the program knows.
[[noreturn]] void fail_out_of_memory(std::int64_t bytes);  // "分配 N 字节内存失败!"
[[noreturn]] void fail_index_out_of_range();               // number 1
[[noreturn]] void fail_index_below_one();                  // number 4

}  // namespace velmora
