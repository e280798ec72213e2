// Message boxes in the platform's terms: style flags in, the pressed button out as
// 0 OK, 1 Cancel, 2 Abort, 3 Retry, 4 Ignore, 5 Yes, 6 No.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

namespace velmora {

// Shows a prepared box and returns the QMessageBox::StandardButton that closed it. The
// default runs the box's own modal loop; tests install one that answers without a user.
using MessageBoxPresenter = std::function<int(QMessageBox& box)>;

// Replaces the presenter for the whole process; an empty function restores the default.
void set_message_box_presenter(MessageBoxPresenter presenter);

// Builds the box for the platform's style flags: the button set (low four bits), the icon
// (next four bits) and the modality. Unless the system-modal bit (0x1000) is set the box
// is task-modal: it blocks `owner`'s window, which should be the main window.
std::unique_ptr<QMessageBox> make_message_box(const QString& text, int flags,
                                              const QString& caption, QWidget* owner);

// Presents the box and maps the answer (any other answer gives 0). While it is up the
// normal cursor shows, even during a login's wait cursor, which comes back afterwards.
// Window thread only.
int show_message_box(QMessageBox& box);

}  // namespace velmora
