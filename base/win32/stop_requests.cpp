#include "base/system/stop_requests.h"

#include <windows.h>

#include <string>

#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/win32/wide_text.h"

namespace velmora {

namespace {

// The system calls this on a thread of its own. Ctrl+C and Ctrl+Break then return to the
// run, which ends by itself; for the console's closing, the log-off and the shutdown the
// system ends the process as soon as this returns, so it gives the run the time to close
// down first (the system allows five seconds). A service has no console and hears every
// user's log-off: that one is not its stop.
BOOL WINAPI on_console_event(DWORD event) {
    if (event == CTRL_LOGOFF_EVENT && GetConsoleWindow() == nullptr) {
        return TRUE;
    }
    request_shutdown();
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        return TRUE;
    }
    Sleep(2000);
    return TRUE;
}

}  // namespace

class StopRequests::Listener {
  public:
    Listener() { SetConsoleCtrlHandler(on_console_event, TRUE); }
    ~Listener() { SetConsoleCtrlHandler(on_console_event, FALSE); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
};

StopRequests::StopRequests() : listener_(std::make_unique<Listener>()) {}
StopRequests::~StopRequests() = default;

Text running_account() {
    wchar_t name[256] = {};
    DWORD size = 256;
    if (!GetUserNameW(name, &size)) {
        return std::to_string(GetLastError());
    }
    return text_from_wide(name);
}

Text read_access_hint(const Text&, const Text&) {
    return gbk(
        "例如以管理员身份再运行一次 velmora-headless.exe --uninstall-service 和 "
        "--install-service，让后台服务的账户重新得到读写权限");
}

}  // namespace velmora
