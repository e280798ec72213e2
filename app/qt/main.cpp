// velmora: the desktop dynamic-DNS updater. velmora.ini in the user's configuration
// folder is its only configuration; the endpoints are compiled in.
#include <QApplication>
#include <QIcon>

#include <cstdio>

#include "app/program/command_line.h"
#include "app/program/endpoints_from_build.h"
#include "app/headless/headless_run.h"
#include "app/qt/qt_platform_hooks.h"
#include "app/qt/window_session.h"
#include "app/program/terminal_text.h"
#include "base/internal_error.h"
#include "base/system/run_directory.h"
#include "base/system/settings_location.h"
#include "http/tls_settings.h"

namespace {

void print(std::FILE* stream, const velmora::Text& text) {
    std::fputs(velmora::text_for_terminal(text).c_str(), stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    velmora::install_out_of_memory_handler();

    velmora::TextList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(velmora::text_from_terminal(argv[i]));
    }
    const velmora::CommandLine command_line =
        velmora::parse_command_line(arguments, velmora::HeadlessMode::offered);
    switch (command_line.action) {
        case velmora::CommandLineAction::show_help:
            print(stdout, velmora::help_text(velmora::HeadlessMode::offered));
            return 0;
        case velmora::CommandLineAction::show_version:
            print(stdout, velmora::version_text());
            return 0;
        case velmora::CommandLineAction::refuse:
            print(stderr, "velmora: " + command_line.problem + "\n" +
                              velmora::help_text(velmora::HeadlessMode::offered));
            return 2;
        case velmora::CommandLineAction::run:
            break;
    }

    const velmora::Endpoints endpoints = velmora::endpoints_from_build();
    velmora::set_extra_ca_file(endpoints.extra_ca_file);
    const velmora::SettingsLocation settings = velmora::settings_location(velmora::run_directory());
    if (command_line.headless) {
        return velmora::run_headless(endpoints, settings, command_line.once);
    }

    // Qt sees no argument: every word was ours, and Qt would read some (-style,
    // -platform) as its own.
    int qt_argc = 1;
    QApplication application(qt_argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmora/velmora.png")));
    velmora::QtPlatformHooks platform_hooks;
    velmora::WindowSession session(endpoints, settings);
    session.start(command_line.minimized ? velmora::WindowSession::Start::minimised
                                         : velmora::WindowSession::Start::shown);
    return QApplication::exec();
}
