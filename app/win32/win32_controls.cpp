#include "app/win32/win32_controls.h"

#include <shellapi.h>

#include "base/win32/wide_text.h"

namespace velmora {

Win32Controls::Win32Controls(MainWindow& window)
    : WindowControls(widgets_, calls_,
                     [](const Text& address) {
                         ShellExecuteW(nullptr, L"open", wide_text(address).c_str(), nullptr,
                                       nullptr, SW_SHOWNORMAL);
                     }),
      window_(window),
      widgets_(window) {
    window_.on_row_check_changed(
        [this](int page, int row, int state) { report_row_check(page, row, state); });
    close_listener_ = window_.add_close_listener([this] { begin_shutdown(); });
    if (window_.handle() == nullptr) {
        begin_shutdown();
    }
}

Win32Controls::~Win32Controls() {
    begin_shutdown();
    window_.on_row_check_changed(nullptr);
    window_.remove_close_listener(close_listener_);
}

}  // namespace velmora
