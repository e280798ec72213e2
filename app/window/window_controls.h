// The control operations over a real window, whichever toolkit draws it. Each toolkit
// supplies its widget calls (WindowWidgets) and its window-call queue; this class owns
// what the logic's contract adds to them.
//
// Calls from other threads are carried out on the window thread and wait for it; the
// window thread must keep handling its events meanwhile. Once shutdown has begun every
// call returns its empty result at once, and calls already waiting are released.
// Destroy it only after other threads have stopped calling it.
#pragma once

#include <functional>

#include "app/window/window_widgets.h"
#include "base/controls/controls.h"
#include "base/controls/guarded_handler.h"
#include "base/controls/window_call_queue.h"

namespace velmora {

class WindowControls : public Controls {
  public:
    // Hands an address to the desktop.
    using AddressOpener = std::function<void(const Text& address)>;

    // `widgets` and `calls` may be members of a derived class still to be constructed:
    // neither is used before the first call.
    WindowControls(WindowWidgets& widgets, WindowCallQueue& calls, AddressOpener desktop_opener);

    Text list_cell_text(const Text& list, int row, int column = 0) final;
    void set_list_cell_text(const Text& list, int row, int column = 0, const Text& text = {}) final;
    int insert_list_row(const Text& list, std::optional<int> position = std::nullopt,
                        const Text& caption = {}) final;
    int list_row_count(const Text& list) final;
    bool delete_list_row(const Text& list, int row) final;
    bool list_row_checked(const Text& list, int row) final;
    void set_list_row_checked(const Text& list, int row, bool checked) final;
    void set_row_check_handler(RowCheckHandler handler) final;

    Text edit_text(const Text& edit) final;
    void set_edit_text(const Text& edit, const Text& text) final;
    void append_to_edit(const Text& edit, const TextList& texts) final;

    bool check_box_checked(const Text& check_box) final;
    void set_check_box_checked(const Text& check_box, bool checked) final;

    Text tab_caption(const Text& tabs, int page) final;
    bool set_tab_caption(const Text& tabs, int page, const Text& caption) final;
    int current_tab(const Text& tabs) final;

    bool control_enabled(const Text& control) final;
    void set_control_enabled(const Text& control, bool enabled) final;

    Text window_title() final;
    void set_window_title(const Text& title) final;

    // The box goes through the toolkit's show_message_box, where tests answer it; the
    // caption defaults to "信息：".
    int message_box(const Text& message, int flags = 0, const Text& caption = {}) final;
    void open_web_address(const Text& address) final;

    // From any thread; idempotent.
    void begin_shutdown();
    // Replaces the desktop's opener (tests).
    void set_address_opener(AddressOpener opener);

  protected:
    // The toolkit reports a real change of a row's check box here, on the window thread.
    void report_row_check(int page, int row, int state);

  private:
    WindowWidgets& widgets_;
    WindowCallQueue& calls_;
    GuardedHandler<RowCheckHandler> row_check_handler_;
    GuardedHandler<AddressOpener> address_opener_;
};

}  // namespace velmora
