#include "app/win32/tray_icon.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

#include "app/window/tray_texts.h"
#include "app/win32/object_window.h"
#include "base/controls/guarded_handler.h"
#include "base/win32/wide_text.h"

namespace velmora {

namespace {

constexpr wchar_t kWindowClass[] = L"VelmoraTrayIcon";
constexpr UINT kShowCommand = 1;
constexpr UINT kQuitCommand = 2;

GuardedHandler<NotifyIconCall>& notify_icon_slot() {
    static GuardedHandler<NotifyIconCall> slot;
    return slot;
}

bool notify_icon(DWORD message, const NOTIFYICONDATAW& data) {
    if (const NotifyIconCall call = notify_icon_slot().get()) {
        return call(message, data);
    }
    NOTIFYICONDATAW copy = data;
    return Shell_NotifyIconW(message, &copy) != FALSE;
}

// The shell sends this to every top-level window once it has made its taskbar.
UINT taskbar_created_message() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

// Copies as much of `text` as fits, ended by a zero.
template <std::size_t N>
void copy_cut(wchar_t (&field)[N], const std::wstring& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::wmemcpy(field, text.data(), length);
    field[length] = L'\0';
}

}  // namespace

void set_notify_icon_call(NotifyIconCall call) {
    notify_icon_slot().set(std::move(call));
}

TrayIcon::TrayIcon(HICON icon, OptionItems options, Handlers handlers, StatusLine status)
    : icon_(icon),
      tooltip_(wide_text(tray_tooltip({}, {}))),
      options_(std::move(options)),
      status_(std::move(status)),
      handlers_(std::move(handlers)) {
    taskbar_created_message();
    register_window_class(kWindowClass, &object_window_procedure<TrayIcon>);
    // A top-level window, since the shell's TaskbarCreated goes to those alone; never
    // shown, and a tool window, so it has no taskbar button.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"Velmora", WS_POPUP, 0, 0, 0, 0,
                              nullptr, nullptr, GetModuleHandleW(nullptr), this);
    shown_ = window_ != nullptr && add();
}

TrayIcon::~TrayIcon() {
    if (window_ == nullptr) {
        return;
    }
    if (shown_) {
        notify_icon(NIM_DELETE, icon_data(0));
    }
    DestroyWindow(window_);
}

NOTIFYICONDATAW TrayIcon::icon_data(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = kIconId;
    data.uFlags = flags;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_;
    copy_cut(data.szTip, tooltip_);
    return data;
}

bool TrayIcon::add() {
    const NOTIFYICONDATAW data = icon_data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    // A shell that kept our icon refuses to add it twice, but takes a change to it.
    return notify_icon(NIM_ADD, data) || notify_icon(NIM_MODIFY, data);
}

void TrayIcon::add_again() {
    const bool shown = add();
    if (shown != shown_) {
        shown_ = shown;
        if (handlers_.shown_changed) {
            handlers_.shown_changed(shown_);
        }
    }
}

void TrayIcon::set_tooltip(const Text& tooltip) {
    tooltip_ = wide_text(tooltip);
    if (shown_) {
        notify_icon(NIM_MODIFY, icon_data(NIF_TIP));
    }
}

void TrayIcon::show_notice(const Text& message) {
    if (!shown_) {
        return;
    }
    NOTIFYICONDATAW data = icon_data(NIF_INFO);
    copy_cut(data.szInfo, wide_text(message));
    copy_cut(data.szInfoTitle, L"Velmora");
    data.dwInfoFlags = NIIF_INFO;
    notify_icon(NIM_MODIFY, data);
}

void TrayIcon::show_menu() {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    // Built afresh each time, so every check mark tells the option's state now.
    AppendMenuW(menu, MF_STRING, kShowCommand, wide_text(tray_menu::show_window()).c_str());
    SetMenuDefaultItem(menu, kShowCommand, FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    append_option_items(menu, options_);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kQuitCommand, wide_text(tray_menu::quit()).c_str());
    // Last, so the items before it keep their places.
    append_status_line(menu, status_);

    POINT at{};
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if its window is in front;
    // the message after it lets the menu finish closing first.
    SetForegroundWindow(window_);
    const auto command = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
    PostMessageW(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);

    if (command == kShowCommand && handlers_.show_window) {
        handlers_.show_window();
    } else if (command == kQuitCommand && handlers_.quit) {
        handlers_.quit();
    } else {
        choose_option_item(options_, command);
    }
}

LRESULT TrayIcon::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kCallbackMessage && wparam == kIconId) {
        // The mouse message the icon received.
        switch (static_cast<UINT>(lparam)) {
            case WM_LBUTTONUP:
            case WM_LBUTTONDBLCLK:
                if (handlers_.show_window) {
                    handlers_.show_window();
                }
                break;
            case WM_RBUTTONUP:
            case WM_CONTEXTMENU:
                show_menu();
                break;
            default:
                break;
        }
        return 0;
    }
    if (message == taskbar_created_message()) {
        add_again();
        return 0;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace velmora
