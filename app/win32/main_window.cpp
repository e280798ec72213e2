#include "app/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "app/win32/object_window.h"
#include "app/win32/record_list.h"
#include "app/window/window_layout.h"
#include "base/system/network_changes.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"
#include "base/win32/wide_text.h"

namespace velmora {

namespace {

constexpr wchar_t kWindowClass[] = L"VelmoraMainWindow";
// Fixed border, title bar with the system menu, minimise and close, no maximise.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW;
constexpr int kApplicationIcon = 1;

// How a control subclassed by child_procedure behaves besides its own class.
enum ChildRole : UINT_PTR {
    kKeys = 1,   // Esc closes the window; Enter stays in the control
    kLink,       // also: the hand cursor, and a press reaches the link handler
    kPageHolder  // also: hands its lists' notifications up to the window
};

void register_main_window_class() {
    WNDCLASSEXW extras{};
    extras.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kApplicationIcon));
    extras.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    extras.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    register_window_class(kWindowClass, &object_window_procedure<MainWindow>, extras);
}

// The outer rectangle whose client area is 656 × 488, centred on the work area.
RECT centred_frame() {
    RECT frame = {0, 0, layout::kClientWidth, layout::kClientHeight};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = work.left + (work.right - work.left - width) / 2;
    const int top = work.top + (work.bottom - work.top - height) / 2;
    return {left, top, left + width, top + height};
}

}  // namespace

MainWindow::MainWindow() : fonts_(make_window_fonts()) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);
    register_main_window_class();
    const RECT frame = centred_frame();
    window_ = CreateWindowExW(kWindowExStyle, kWindowClass, L"Velmora", kWindowStyle, frame.left,
                              frame.top, frame.right - frame.left, frame.bottom - frame.top,
                              nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (window_ != nullptr) {
        build_controls();
    }
}

MainWindow::~MainWindow() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void MainWindow::build_controls() {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD label = child | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
    const DWORD line = child | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    const auto font_for = [this](layout::Font role) {
        switch (role) {
            case layout::Font::caption:
                return fonts_.caption.get();
            case layout::Font::link:
                return fonts_.link.get();
            case layout::Font::standard:
                break;
        }
        return fonts_.standard.get();
    };

    for (const layout::ControlLayout& control : layout::controls()) {
        const layout::Area& a = control.area;
        const RECT area = {a.left, a.top, a.right(), a.bottom()};
        HFONT font = font_for(control.font);
        switch (control.kind) {
            case layout::Kind::label: {
                const bool is_link = control.colour == layout::Colour::link_blue;
                HWND made = add(control.name, Kind::label, WC_STATICW, control.caption,
                                is_link ? label | SS_NOTIFY : label, WS_EX_TRANSPARENT, area, font);
                if (is_link) {
                    link_ = made;
                    SetWindowSubclass(link_, &MainWindow::child_procedure, kLink,
                                      reinterpret_cast<DWORD_PTR>(this));
                }
                break;
            }
            case layout::Kind::line_edit:
                add(control.name, Kind::edit, WC_EDITW, control.caption, line, WS_EX_CLIENTEDGE,
                    area, font);
                break;
            case layout::Kind::button:
                login_button_ = add(control.name, Kind::button, WC_BUTTONW, control.caption,
                                    child | WS_TABSTOP | BS_PUSHBUTTON, 0, area, font);
                break;
            case layout::Kind::check_box:
                add(control.name, Kind::check_box, WC_BUTTONW, control.caption,
                    child | WS_TABSTOP | BS_AUTOCHECKBOX, 0, area, font);
                break;
            case layout::Kind::tabs:
                add_record_tabs(control.name, area, font);
                break;
            case layout::Kind::log: {
                HWND log = add(control.name, Kind::edit, WC_EDITW, control.caption,
                               child | WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE |
                                   ES_AUTOVSCROLL | ES_WANTRETURN,
                               WS_EX_CLIENTEDGE, area, font);
                // Its newest lines outgrow the box's default length limit; their number
                // is bounded where lines are appended.
                SendMessageW(log, EM_SETLIMITTEXT, 0, 0);
                break;
            }
        }
    }
}

void MainWindow::add_record_tabs(const Text& name, RECT area, HFONT font) {
    tabs_ = std::make_unique<RecordTabs>(window_, area, font);
    controls_[name] = {tabs_->handle(), Kind::tabs};
    SetWindowSubclass(tabs_->handle(), &MainWindow::child_procedure, kPageHolder,
                      reinterpret_cast<DWORD_PTR>(this));
    for (int page = 1; page <= control::kPageCount; ++page) {
        controls_[control::record_list(page)] = {tabs_->list(page), Kind::list};
        SetWindowSubclass(tabs_->list(page), &MainWindow::child_procedure, kKeys,
                          reinterpret_cast<DWORD_PTR>(this));
    }
}

HWND MainWindow::add(const Text& name, Kind kind, const wchar_t* window_class, const Text& caption,
                     DWORD style, DWORD extended_style, RECT area, HFONT font) {
    HWND control =
        CreateWindowExW(extended_style, window_class, wide_text(caption).c_str(), style, area.left,
                        area.top, area.right - area.left, area.bottom - area.top, window_, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) {
        return nullptr;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (kind != Kind::label) {
        SetWindowSubclass(control, &MainWindow::child_procedure, kKeys,
                          reinterpret_cast<DWORD_PTR>(this));
    }
    controls_[name] = {control, kind};
    return control;
}

const MainWindow::Control* MainWindow::find(const Text& name) const {
    auto found = controls_.find(name);
    return window_ != nullptr && found != controls_.end() ? &found->second : nullptr;
}

bool MainWindow::is_kind(HWND control, Kind kind) const {
    return std::any_of(controls_.begin(), controls_.end(), [control, kind](const auto& entry) {
        return entry.second.handle == control && entry.second.kind == kind;
    });
}

bool MainWindow::is_one_line_edit(HWND control) const {
    return is_kind(control, Kind::edit) && (GetWindowLongW(control, GWL_STYLE) & ES_MULTILINE) == 0;
}

void MainWindow::present() {
    ShowWindow(window_, SW_SHOWNORMAL);
    // The controls are windows of their own: UpdateWindow alone would paint only the frame.
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void MainWindow::bring_back() {
    if (window_ == nullptr) {
        return;
    }
    present();
    SetForegroundWindow(window_);
}

void MainWindow::show_minimised() {
    ShowWindow(window_, SW_SHOWMINNOACTIVE);
}

void MainWindow::hide() {
    ShowWindow(window_, SW_HIDE);
}

void MainWindow::set_system_menu_options(OptionItems options, StatusLine status) {
    if (window_ == nullptr) {
        return;
    }
    // Back to the system's own items first, so the options never stand twice.
    GetSystemMenu(window_, TRUE);
    system_menu_options_ = std::move(options);
    system_menu_status_ = system_menu_options_.empty() ? StatusLine() : std::move(status);
    if (system_menu_options_.empty()) {
        return;
    }
    HMENU menu = GetSystemMenu(window_, FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    append_option_items(menu, system_menu_options_);
    append_status_line(menu, system_menu_status_);
}

void MainWindow::run() {
    MSG message;
    while (window_ != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void MainWindow::close() {
    if (window_ != nullptr) {
        SendMessageW(window_, WM_CLOSE, 0, 0);
    }
}

void MainWindow::set_busy(bool busy) {
    busy_ = busy;
    POINT cursor{};
    RECT frame{};
    if (window_ != nullptr && GetCursorPos(&cursor) && GetWindowRect(window_, &frame) &&
        PtInRect(&frame, cursor) && IsWindowEnabled(window_)) {
        SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
    }
}

bool MainWindow::show_busy_cursor(LPARAM hit) const {
    // A disabled window (under a message box) reports HTERROR: the box's arrow stays.
    if (!busy_ || static_cast<short>(LOWORD(hit)) == HTERROR || !IsWindowEnabled(window_)) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

int MainWindow::add_close_listener(std::function<void()> listener) {
    close_listeners_.emplace_back(++next_listener_token_, std::move(listener));
    return next_listener_token_;
}

void MainWindow::remove_close_listener(int token) {
    std::erase_if(close_listeners_, [token](const auto& entry) { return entry.first == token; });
}

void MainWindow::notify_closing() {
    if (closing_notified_) {
        return;
    }
    closing_notified_ = true;
    for (const auto& [token, listener] : std::vector(close_listeners_)) {
        listener();
    }
}

LRESULT MainWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CTLCOLORSTATIC: {
            auto control = reinterpret_cast<HWND>(lparam);
            if (!is_kind(control, Kind::label)) {
                break;
            }
            // Only the text is drawn, over whatever the window shows beneath the label.
            auto context = reinterpret_cast<HDC>(wparam);
            SetBkMode(context, TRANSPARENT);
            SetTextColor(context, control == link_ ? RGB(0, 0, 255) : RGB(0, 0, 0));
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        case WM_COMMAND:
            if (HIWORD(wparam) == BN_CLICKED && reinterpret_cast<HWND>(lparam) == login_button_ &&
                login_clicked_) {
                login_clicked_();
            }
            return 0;
        case WM_NOTIFY:
            return handle_notification(*reinterpret_cast<const NMHDR*>(lparam));
        case WM_SETCURSOR:
            // The controls ask their parent first, so this covers them too.
            if (show_busy_cursor(lparam)) {
                return TRUE;
            }
            break;
        case WM_KEYDOWN:
            if (wparam == VK_ESCAPE) {
                close();
                return 0;
            }
            break;
        case WM_SIZE:
            if (wparam == SIZE_MINIMIZED && minimised_) {
                minimised_();
            }
            break;
        case WM_POWERBROADCAST:
            // After sleep the address may have changed: the loop looks again at once.
            if (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND) {
                machine_resumed();
            }
            break;
        case WM_INITMENUPOPUP:
            if (HIWORD(lparam) != 0) {  // the system menu
                check_option_items(reinterpret_cast<HMENU>(wparam), system_menu_options_);
                update_status_line(reinterpret_cast<HMENU>(wparam), system_menu_status_);
            }
            break;
        case WM_SYSCOMMAND:
            if (choose_option_item(system_menu_options_, static_cast<UINT>(wparam & 0xFFF0))) {
                return 0;
            }
            break;
        case WM_DESTROY:
            notify_closing();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

LRESULT MainWindow::handle_notification(const NMHDR& header) {
    if (tabs_ == nullptr) {
        return 0;
    }
    if (header.hwndFrom == tabs_->handle() && header.code == TCN_SELCHANGE) {
        tabs_->show_current_page();
    } else if (header.code == LVN_ITEMCHANGED) {
        const int page = tabs_->page_of(header.hwndFrom);
        const int state = record_list::check_change(reinterpret_cast<const NMLISTVIEW&>(header));
        if (page != 0 && state >= 0 && row_check_changed_) {
            row_check_changed_(page, reinterpret_cast<const NMLISTVIEW&>(header).iItem, state);
        }
    }
    return 0;
}

LRESULT CALLBACK MainWindow::child_procedure(HWND control, UINT message, WPARAM wparam,
                                             LPARAM lparam, UINT_PTR role, DWORD_PTR self) {
    auto* window = reinterpret_cast<MainWindow*>(self);
    switch (message) {
        case WM_KEYDOWN:
            if (wparam == VK_ESCAPE) {
                PostMessageW(window->window_, WM_CLOSE, 0, 0);
                return 0;
            }
            break;
        case WM_CHAR:
            // Esc and Enter typed into a one-line box would only ring the bell.
            if (wparam == VK_ESCAPE || (wparam == VK_RETURN && window->is_one_line_edit(control))) {
                return 0;
            }
            break;
        case WM_SETCURSOR:
            if (role == kLink && !window->busy_) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN:
            if (role == kLink && window->link_pressed_) {
                window->link_pressed_();
                return 0;
            }
            break;
        case WM_NOTIFY:
            if (role == kPageHolder) {
                return SendMessageW(window->window_, WM_NOTIFY, wparam, lparam);
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(control, &MainWindow::child_procedure, role);
            break;
        default:
            break;
    }
    return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace velmora
