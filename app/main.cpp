// velmora: the desktop dynamic-DNS updater. The settings file beside the
// executable is its only configuration; the endpoints are compiled in.
#include <QApplication>
#include <QIcon>

#include "app/endpoints_from_build.h"
#include "app/qt/qt_platform_hooks.h"
#include "app/qt/window_session.h"
#include "base/internal_error.h"
#include "base/run_directory.h"
#include "http/tls_settings.h"

int main(int argc, char** argv) {
    velmora::install_out_of_memory_handler();
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmora/velmora.png")));
    velmora::QtPlatformHooks platform_hooks;

    const velmora::Endpoints endpoints = velmora::endpoints_from_build();
    velmora::set_extra_ca_file(endpoints.extra_ca_file);

    velmora::WindowSession session(endpoints, velmora::run_directory() + "/velmora.ini");
    session.start();
    return QApplication::exec();
}
