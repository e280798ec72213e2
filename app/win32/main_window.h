// The program's one window, over the platform's own controls: the credential fields, the
// login button, the six record pages and the run log, each control found by the name the
// logic addresses it by (GBK). Window and controls are the platform's wide (UTF-16) ones,
// so their texts read right whatever the system's ANSI code page.
//
// Everything here runs on the thread that created the window.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "app/win32/option_items.h"
#include "app/win32/record_tabs.h"
#include "app/win32/window_fonts.h"
#include "base/types.h"

namespace velmora {

class MainWindow {
  public:
    enum class Kind { label, edit, button, check_box, tabs, list };
    struct Control {
        HWND handle = nullptr;
        Kind kind = Kind::label;
    };

    // Creates the window and its controls, centred on the work area, not yet shown.
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Shows the window and paints it before returning, so that it does not stay blank
    // while the window thread then blocks on a request.
    void present();
    // Shows the window restored (from minimised or hidden), in front and active.
    void bring_back();
    // Shows the window minimised, leaving the active window as it was.
    void show_minimised();
    // Hides the window, which leaves the taskbar with it.
    void hide();
    // Handles messages until the window has been destroyed.
    void run();
    // Closes the window as the user does (Esc, the close button).
    void close();
    // The wait cursor over the window while the login runs; a message box the login
    // shows meanwhile disables the window, and the arrow shows over it again.
    void set_busy(bool busy);

    // Null once the window has been destroyed.
    HWND handle() const { return window_; }
    // The control of that name, or null; null for every control once the window is gone.
    const Control* find(const Text& name) const;
    RecordTabs& tabs() { return *tabs_; }

    // The handlers of the window's events, called on the window thread.
    void on_login_clicked(std::function<void()> handler) { login_clicked_ = std::move(handler); }
    void on_console_link_pressed(std::function<void()> handler) {
        link_pressed_ = std::move(handler);
    }
    // A real change of a row's check box: page 1 … 6, row 0-based, state 1 or 0.
    void on_row_check_changed(std::function<void(int page, int row, int state)> handler) {
        row_check_changed_ = std::move(handler);
    }
    // The window was minimised (by the user, or shown minimised).
    void on_minimised(std::function<void()> handler) { minimised_ = std::move(handler); }
    // The run options as check items at the end of the system menu (Alt+Space), and
    // `status` greyed after them; an empty list takes them away again.
    void set_system_menu_options(OptionItems options, StatusLine status = {});
    // Called once as the window is being destroyed; add_ gives the token remove_ takes.
    int add_close_listener(std::function<void()> listener);
    void remove_close_listener(int token);

  private:
    void build_controls();
    void add_record_tabs(const Text& name, RECT area, HFONT font);
    HWND add(const Text& name, Kind kind, const wchar_t* window_class, const Text& caption,
             DWORD style, DWORD extended_style, RECT area, HFONT font);
    bool is_kind(HWND control, Kind kind) const;
    bool is_one_line_edit(HWND control) const;
    void notify_closing();

    template <class Owner>
    friend LRESULT CALLBACK object_window_procedure(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window) { window_ = window; }
    static LRESULT CALLBACK child_procedure(HWND control, UINT message, WPARAM wparam,
                                            LPARAM lparam, UINT_PTR role, DWORD_PTR self);
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle_notification(const NMHDR& header);
    // Sets the wait cursor when the window is busy and takes the mouse; false otherwise.
    bool show_busy_cursor(LPARAM hit) const;

    HWND window_ = nullptr;
    WindowFonts fonts_;
    std::unique_ptr<RecordTabs> tabs_;
    std::map<Text, Control> controls_;
    HWND login_button_ = nullptr;
    HWND link_ = nullptr;
    std::function<void()> login_clicked_;
    std::function<void()> link_pressed_;
    std::function<void(int, int, int)> row_check_changed_;
    std::function<void()> minimised_;
    OptionItems system_menu_options_;
    StatusLine system_menu_status_;
    std::vector<std::pair<int, std::function<void()>>> close_listeners_;
    int next_listener_token_ = 0;
    bool closing_notified_ = false;
    bool busy_ = false;
};

}  // namespace velmora
