// The program in the notification area: its icon with a tooltip, a click on it that
// brings the window back, its menu (显示主窗口, the run options, 退出) and its balloon
// notices. Where the desktop has no notification area the icon is not shown; when the
// shell makes its taskbar again (Explorer restarted, or started after us) the icon is
// added again.
//
// Create and use it on the window thread; a hidden window of its own receives the icon's
// messages.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>
#include <utility>

#include "app/win32/option_items.h"
#include "app/win32/window_thread_calls.h"
#include "app/window/tray_news.h"
#include "base/types.h"

namespace velmora {

class TrayIcon : public TraySink {
  public:
    struct Handlers {
        std::function<void()> show_window;              // a click on the icon, 显示主窗口
        std::function<void()> quit;                     // 退出
        std::function<void(bool shown)> shown_changed;  // the icon came or went since
    };

    // The id the icon has among its window's icons, and the message its clicks arrive as.
    static constexpr UINT kIconId = 1;
    static constexpr UINT kCallbackMessage = WM_APP + 10;

    // Adds the icon when the desktop has a notification area. `icon` must outlive it.
    // `status`: a greyed line at the end of the menu (the service's state); none without.
    TrayIcon(HICON icon, OptionItems options, Handlers handlers, StatusLine status = {});
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // What the update loop tells the icon.
    UpdateObserver& news() { return news_; }

    void post(std::function<void()> task) override { window_thread_.post(std::move(task)); }
    // Whether the icon is in a notification area.
    bool shown() const override { return shown_; }
    // At most 127 characters show; the rest is cut.
    void set_tooltip(const Text& tooltip) override;
    // A balloon from the icon, titled "Velmora"; none while the icon is not shown.
    void show_notice(const Text& message) override;
    // The window the icon's messages go to.
    HWND window() const { return window_; }

  private:
    template <class Owner>
    friend LRESULT CALLBACK object_window_procedure(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window) { window_ = window; }
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
    // Puts the icon into the notification area, or finds it there already; true then.
    bool add();
    // After the shell made its taskbar again.
    void add_again();
    void show_menu();
    NOTIFYICONDATAW icon_data(UINT flags) const;

    HWND window_ = nullptr;
    HICON icon_;
    std::wstring tooltip_;
    OptionItems options_;
    StatusLine status_;
    Handlers handlers_;
    bool shown_ = false;
    WindowThreadCalls window_thread_;
    TrayNews news_{*this};
};

// How the icon reaches the notification area: Shell_NotifyIconW, unless a test installs
// another call for the whole process (an empty function restores it).
using NotifyIconCall = std::function<bool(DWORD message, const NOTIFYICONDATAW& data)>;
void set_notify_icon_call(NotifyIconCall call);

}  // namespace velmora
