// velmora.exe: the desktop dynamic-DNS updater. The settings file beside the executable
// is its only configuration; the endpoints are compiled in.
#include <windows.h>

#include "app/program/command_line.h"
#include "app/program/endpoints_from_build.h"
#include "app/win32/command_line_words.h"
#include "app/win32/message_box.h"
#include "app/win32/window_session.h"
#include "base/internal_error.h"
#include "base/system/run_directory.h"
#include "base/system/settings_location.h"
#include "http/tls_settings.h"

namespace {

// A program without a console answers its command line in a box.
void answer_in_a_box(const velmora::Text& text, UINT icon) {
    velmora::show_message_box(nullptr, text, static_cast<int>(MB_OK | icon), "Velmora");
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Libraries loaded from now on come from the system folder, never from the program's
    // own folder, where anyone who may write there could plant one.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    velmora::install_out_of_memory_handler();

    using velmora::HeadlessMode;
    const velmora::CommandLine command_line = velmora::parse_command_line(
        velmora::command_line_words(GetCommandLineW()), HeadlessMode::not_offered);
    switch (command_line.action) {
        case velmora::CommandLineAction::show_help:
            answer_in_a_box(velmora::help_text(HeadlessMode::not_offered), MB_ICONINFORMATION);
            return 0;
        case velmora::CommandLineAction::show_version:
            answer_in_a_box(velmora::version_text(), MB_ICONINFORMATION);
            return 0;
        case velmora::CommandLineAction::refuse:
            answer_in_a_box(
                command_line.problem + "\n" + velmora::help_text(HeadlessMode::not_offered),
                MB_ICONERROR);
            return 2;
        case velmora::CommandLineAction::run:
            break;
    }

    const velmora::Endpoints endpoints = velmora::endpoints_from_build();
    velmora::set_extra_ca_file(endpoints.extra_ca_file);
    velmora::WindowSession session(endpoints, velmora::settings_location(velmora::run_directory()));
    session.start(command_line.minimized ? velmora::WindowSession::Start::minimised
                                         : velmora::WindowSession::Start::shown);
    session.run();
    return 0;
}
