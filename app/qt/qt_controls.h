// The control operations over the real widgets of the main window, found by their
// objectName (the control's name as a QString). Widgets that are missing, or of another
// kind than the operation needs, give the empty result.
//
// Create it on the window thread once the widgets exist. Calls from other threads are
// carried out on the window thread and wait for it; the window thread must keep pumping
// events meanwhile. Shutdown begins when the window is closed or destroyed, or when
// begin_shutdown() is called: from then on every call returns its empty result at once,
// and calls already waiting are released. Destroy it only after other threads have
// stopped calling it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "app/qt/window_thread_calls.h"
#include "base/controls.h"
#include "base/guarded_handler.h"

namespace velmora {

class RecordListWidget;

class QtControls : public QObject, public Controls {
    Q_OBJECT

  public:
    // Hands an address to the desktop; the default is QDesktopServices::openUrl.
    using AddressOpener = std::function<void(const QUrl& address)>;

    explicit QtControls(QWidget* window);
    ~QtControls() override;

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

    // Task-modal over the window; the box goes through show_message_box (message_box.h),
    // where tests answer it.
    int message_box(const Text& message, int flags = 0, const Text& caption = {}) override;
    void open_web_address(const Text& address) override;

    void begin_shutdown();
    void set_address_opener(AddressOpener opener);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    template <class W>
    W* find(const Text& name) const;
    void report_row_check(int page, int row, int state);

    QPointer<QWidget> window_;
    GuardedHandler<RowCheckHandler> row_check_handler_;
    GuardedHandler<AddressOpener> address_opener_;
    WindowThreadCalls calls_;
};

}  // namespace velmora
