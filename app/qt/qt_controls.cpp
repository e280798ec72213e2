#include "app/qt/qt_controls.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QUrl>

#include "app/qt/qt_text.h"
#include "app/qt/record_list_widget.h"
#include "base/controls/control_names.h"

namespace velmora {

QtControls::QtControls(QWidget* window)
    : WindowControls(
          widgets_, calls_,
          [](const Text& address) { QDesktopServices::openUrl(QUrl(to_qstring(address))); }),
      window_(window),
      widgets_(window) {
    for (int page = 1; page <= control::kPageCount; ++page) {
        if (auto* list = widgets_.find<RecordListWidget>(control::record_list(page))) {
            connect(list, &RecordListWidget::row_check_changed, this,
                    [this, page](int row, int state) { report_row_check(page, row, state); });
        }
    }
    if (window != nullptr) {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this] { begin_shutdown(); });
    }
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            [this] { begin_shutdown(); });
}

QtControls::~QtControls() {
    begin_shutdown();
    if (window_) {
        window_->removeEventFilter(this);
    }
}

bool QtControls::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close) {
        begin_shutdown();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace velmora
