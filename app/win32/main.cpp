// velmora.exe: the desktop dynamic-DNS updater. The settings file beside the executable
// is its only configuration; the endpoints are compiled in.
#include <windows.h>

#include "app/endpoints_from_build.h"
#include "app/win32/window_session.h"
#include "base/internal_error.h"
#include "base/run_directory.h"
#include "http/tls_settings.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    velmora::install_out_of_memory_handler();
    const velmora::Endpoints endpoints = velmora::endpoints_from_build();
    velmora::set_extra_ca_file(endpoints.extra_ca_file);

    // A folder whose path has no GBK form names no settings file: the fields then start
    // empty and nothing is saved, rather than another file being read or written.
    const velmora::Text directory = velmora::run_directory();
    velmora::WindowSession session(
        endpoints, directory.empty() ? velmora::Text() : directory + "\\velmora.ini");
    session.start();
    session.run();
    return 0;
}
