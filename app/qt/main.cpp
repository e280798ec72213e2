// velmora: the desktop dynamic-DNS updater. velmora.ini in the user's configuration
// folder is its only configuration; the endpoints are compiled in.
#include <QApplication>
#include <QIcon>

#include "app/program/endpoints_from_build.h"
#include "app/headless/program_entry.h"
#include "app/qt/qt_platform_hooks.h"
#include "app/qt/window_session.h"

int main(int argc, char** argv) {
    const velmora::Endpoints endpoints = velmora::endpoints_from_build();
    velmora::WindowStart start;
    if (const std::optional<int> status = velmora::run_without_window(
            argc, argv, velmora::HeadlessMode::offered, endpoints, &start)) {
        return *status;
    }

    // Qt sees no argument: every word was ours, and Qt would read some (-style,
    // -platform) as its own.
    int qt_argc = 1;
    QApplication application(qt_argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmora/velmora.png")));
    velmora::QtPlatformHooks platform_hooks;
    velmora::WindowSession session(endpoints, start.settings);
    session.start(start.command_line.minimized ? velmora::WindowSession::Start::minimised
                                               : velmora::WindowSession::Start::shown);
    return QApplication::exec();
}
