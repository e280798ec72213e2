// The control operations over the main window's Qt widgets (qt_widgets.h).
//
// Create it on the window thread once the widgets exist. Shutdown begins when the window
// is closed or destroyed, when the application is about to quit, or when
// begin_shutdown() is called.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "app/qt/qt_widgets.h"
#include "app/qt/window_thread_calls.h"
#include "app/window/window_controls.h"

namespace velmora {

class QtControls : public QObject, public WindowControls {
    Q_OBJECT

  public:
    explicit QtControls(QWidget* window);
    ~QtControls() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
    WindowThreadCalls calls_;
    QtWidgets widgets_;
};

}  // namespace velmora
