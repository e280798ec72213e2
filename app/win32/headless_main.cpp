// velmora-headless.exe: the login and the update loop without a window, in a console or
// as the Windows service, and the set-up from the command line, over the velmora.ini
// beside the executable (the window's).
#include <windows.h>

#include <string>
#include <vector>

#include "app/headless/program_entry.h"
#include "app/program/endpoints_from_build.h"
#include "app/win32/command_line_words.h"
#include "app/win32/windows_service.h"
#include "base/system/process_memory.h"

int main() {
    velmora::settle_process_memory();
    // Libraries loaded from now on come from the system folder, never from the program's
    // own folder, where anyone who may write there could plant one.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The words come from the wide command line, whatever the ANSI code page: GBK texts,
    // which the file calls also take as paths.
    const velmora::TextList words = velmora::command_line_words(GetCommandLineW());
    const std::vector<std::string> paths(words.begin(), words.end());
    const velmora::Endpoints endpoints = velmora::endpoints_from_build();
    velmora::WindowsService service;
    return velmora::run_without_window(words, paths, velmora::HeadlessMode::only_with_service,
                                       endpoints, nullptr, &service)
        .value_or(0);
}
