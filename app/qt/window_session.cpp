#include "app/qt/window_session.h"

#include <QApplication>
#include <QTimer>
#include <utility>

#include "app/qt/options_menu.h"

namespace velmora {

WindowSession::WindowSession(const Endpoints& endpoints, const SettingsLocation& settings)
    : controls_(&window_),
      session_(*this, controls_, endpoints, settings),
      tray_(window_, session_.core()) {
    SessionCore& core = session_.core();
    core.set_update_observer(&tray_.news());
    connect(&window_, &MainWindow::login_clicked, this, [this] { session_.login(); });
    connect(&window_, &MainWindow::console_link_pressed, this,
            [this] { session_.core().open_console(); });
    connect(&window_, &MainWindow::closing, this, [this] { session_.close_down(); });
    connect(&window_, &MainWindow::minimised, this, [this] { session_.minimised(); });
    connect(&tray_, &TrayIcon::quit_requested, this, &WindowSession::quit);
    add_option_items(options_menu_, core);
    connect(&window_, &MainWindow::context_menu_requested, this, [this](const QPoint& at) {
        if (!tray_.shown()) {
            options_menu_.popup(at);
        }
    });
}

WindowSession::~WindowSession() {
    session_.close_down();
}

void WindowSession::hide() {
    // Not from within the minimise event itself: the window system finishes it first.
    QTimer::singleShot(0, &window_, &QWidget::hide);
}

void WindowSession::set_busy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void WindowSession::after_painting(std::function<void()> step) {
    QTimer::singleShot(0, this, std::move(step));
}

void WindowSession::quit() {
    window_.close();
    QApplication::quit();
}

}  // namespace velmora
