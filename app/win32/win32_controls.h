// The control operations over the platform's controls of the main window, found by their
// names. Controls that are missing, or of another kind than the operation needs, give the
// empty result.
//
// Create it on the window thread once the window exists. Calls from other threads are
// carried out on the window thread and wait for it; the window thread must keep handling
// messages meanwhile. Shutdown begins when the window is destroyed (closing it destroys
// it), or when begin_shutdown() is called: from then on every call returns its empty
// result at once, and calls already waiting are released. Destroy it only after other
// threads have stopped calling it.
#pragma once

#include <functional>

#include "app/win32/main_window.h"
#include "app/win32/window_thread_calls.h"
#include "base/controls.h"
#include "base/guarded_handler.h"

namespace velmora {

class Win32Controls : public Controls {
  public:
    // Hands an address to the desktop; the default is the shell's "open" verb.
    using AddressOpener = std::function<void(const Text& address)>;

    explicit Win32Controls(MainWindow& window);
    ~Win32Controls() override;
    Win32Controls(const Win32Controls&) = delete;
    Win32Controls& operator=(const Win32Controls&) = delete;

    Text list_cell_text(const Text& list, int row, int column = 0) override;
    void set_list_cell_text(const Text& list, int row, int column = 0,
                            const Text& text = {}) override;
    int insert_list_row(const Text& list, std::optional<int> position = std::nullopt,
                        const Text& caption = {}) override;
    int list_row_count(const Text& list) override;
    bool delete_list_row(const Text& list, int row) override;
    void clear_list(const Text& list) override;
    bool list_row_checked(const Text& list, int row) override;
    void set_list_row_checked(const Text& list, int row, bool checked) override;
    void set_row_check_handler(RowCheckHandler handler) override;

    Text edit_text(const Text& edit) override;
    void set_edit_text(const Text& edit, const Text& text) override;
    void append_to_edit(const Text& edit, const TextList& texts) override;

    bool check_box_checked(const Text& check_box) override;
    void set_check_box_checked(const Text& check_box, bool checked) override;

    Text tab_caption(const Text& tabs, int page) override;
    bool set_tab_caption(const Text& tabs, int page, const Text& caption) override;
    int current_tab(const Text& tabs) override;

    bool control_enabled(const Text& control) override;
    void set_control_enabled(const Text& control, bool enabled) override;

    Text window_title() override;
    void set_window_title(const Text& title) override;

    // Task-modal, owned by the window; the box goes through show_message_box
    // (message_box.h), where tests answer it.
    int message_box(const Text& message, int flags = 0, const Text& caption = {}) override;
    void open_web_address(const Text& address) override;

    void begin_shutdown();
    void set_address_opener(AddressOpener opener);

  private:
    // The handle of the named control when it is of `kind`, else null. Window thread.
    HWND find(const Text& name, MainWindow::Kind kind) const;
    void report_row_check(int page, int row, int state);

    MainWindow& window_;
    int close_listener_ = 0;
    GuardedHandler<RowCheckHandler> row_check_handler_;
    GuardedHandler<AddressOpener> address_opener_;
    WindowThreadCalls calls_;
};

}  // namespace velmora
