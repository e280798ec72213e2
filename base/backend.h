// What each platform's folder (posix/, win32/) provides to the shared code of base/.
// CMake compiles exactly one of the two folders; nothing here is called from outside base/.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/automation/automation_class.h"
#include "base/types.h"

namespace velmora::backend {

// UTF-8 to GBK; false when some character has no GBK form.
bool utf8_to_gbk(std::string_view utf8, Text& gbk_text);
// GBK <-> UTF-16; bytes or characters that cannot be converted are skipped.
std::u16string gbk_to_utf16(std::string_view gbk_text);
Text utf16_to_gbk(std::u16string_view wide);

// Where `needle` (not empty) first occurs in `text` at or after byte `from`; npos where
// it does not. Linux: the C library's memmem, which in replies full of quotes is several
// times quicker than comparing at every place the first byte matches.
std::string_view::size_type find_bytes(std::string_view text, std::string_view needle,
                                       std::string_view::size_type from);

// Shows an internal-error message when no reporter is installed.
void show_internal_error(const Text& message);

// Waits `duration` on a thread without an event pump, handling that thread's own
// messages where the platform has them; true when the full time passed, false when
// wake_waiters() cut it short or had been called since the last rearm_waiters().
// With `nudged`, the wait also ends, true, once it holds: nudge_waiters() makes every
// such wait look at it again.
bool wait_unless_woken(std::chrono::milliseconds duration,
                       const std::function<bool()>& nudged = {});
void wake_waiters();
void rearm_waiters();
void nudge_waiters();
// Handles the messages already waiting for a thread without an event pump.
void process_thread_messages();

// The automation classes every process has: programmatic id, class id and factory.
struct BuiltinClass {
    const char* prog_id;
    const char* class_id;
    AutomationFactory factory;
};
std::vector<BuiltinClass> builtin_automation_classes();
// An object of a class the platform's component automation knows by that programmatic
// identifier or braced class identifier; empty when there is none.
ComObject create_platform_object(const Text& class_name);

}  // namespace velmora::backend
