// velmora.exe: the desktop dynamic-DNS updater. The settings file beside the executable
// is its only configuration; the endpoints are compiled in.
#include <windows.h>

#include "app/endpoints_from_build.h"
#include "app/win32/window_session.h"
#include "base/internal_error.h"
#include "base/run_directory.h"
#include "base/settings_location.h"
#include "http/tls_settings.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Libraries loaded from now on come from the system folder, never from the program's
    // own folder, where anyone who may write there could plant one.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    velmora::install_out_of_memory_handler();
    const velmora::Endpoints endpoints = velmora::endpoints_from_build();
    velmora::set_extra_ca_file(endpoints.extra_ca_file);

    velmora::WindowSession session(endpoints, velmora::settings_location(velmora::run_directory()));
    session.start();
    session.run();
    return 0;
}
