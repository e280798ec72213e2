#include "app/qt/window_session.h"

#include <QApplication>
#include <QTimer>

#include "app/qt/options_menu.h"

namespace velmora {

WindowSession::WindowSession(const Endpoints& endpoints, const SettingsLocation& settings)
    : controls_(&window_), core_(controls_, endpoints, settings), tray_(window_, core_) {
    core_.set_update_observer(&tray_);
    connect(&window_, &MainWindow::login_clicked, this, &WindowSession::login);
    connect(&window_, &MainWindow::console_link_pressed, this, [this] { core_.open_console(); });
    connect(&window_, &MainWindow::closing, this, &WindowSession::close_down);
    connect(&window_, &MainWindow::minimised, this, &WindowSession::on_minimised);
    connect(&tray_, &TrayIcon::quit_requested, this, &WindowSession::quit);
    add_option_items(options_menu_, core_);
    connect(&window_, &MainWindow::context_menu_requested, this, [this](const QPoint& at) {
        if (!tray_.shown()) {
            options_menu_.popup(at);
        }
    });
}

WindowSession::~WindowSession() {
    close_down();
}

void WindowSession::start(Start how) {
    if (how == Start::shown) {
        window_.present();
    } else if (!tray_.shown()) {
        window_.showMinimized();
    }
    QTimer::singleShot(0, this, [this] {
        core_.window_created();
        if (core_.resume() == SessionCore::Resume::failed) {
            tray_.show_window();
        }
    });
}

void WindowSession::login() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    core_.login();
    QApplication::restoreOverrideCursor();
}

void WindowSession::on_minimised() {
    if (tray_.shown() && core_.option(RunOption::minimise_to_tray)) {
        // Hidden, the window leaves the taskbar; the loop goes on.
        QTimer::singleShot(0, &window_, &QWidget::hide);
    }
}

void WindowSession::quit() {
    window_.close();
    QApplication::quit();
}

void WindowSession::close_down() {
    controls_.begin_shutdown();
    core_.close_down();
}

}  // namespace velmora
