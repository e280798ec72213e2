#include "http/winhttp/winhttp_functions.h"

namespace velmora {
namespace {

// GetProcAddress gives every function one generic type; the detour through the
// argument-less function type keeps the compiler's cast check quiet.
template <typename Function>
bool bind(HMODULE library, const char* name, Function& function) {
    const FARPROC found = GetProcAddress(library, name);
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
    return found != nullptr;
}

bool bind_all(HMODULE library, WinHttpFunctions& f) {
    return bind(library, "WinHttpCheckPlatform", f.check_platform) &&
           bind(library, "WinHttpOpen", f.open) &&
           bind(library, "WinHttpSetTimeouts", f.set_timeouts) &&
           bind(library, "WinHttpConnect", f.connect) &&
           bind(library, "WinHttpOpenRequest", f.open_request) &&
           bind(library, "WinHttpSetStatusCallback", f.set_status_callback) &&
           bind(library, "WinHttpSetCredentials", f.set_credentials) &&
           bind(library, "WinHttpSetOption", f.set_option) &&
           bind(library, "WinHttpAddRequestHeaders", f.add_request_headers) &&
           bind(library, "WinHttpSendRequest", f.send_request) &&
           bind(library, "WinHttpReceiveResponse", f.receive_response) &&
           bind(library, "WinHttpQueryDataAvailable", f.query_data_available) &&
           bind(library, "WinHttpReadData", f.read_data) &&
           bind(library, "WinHttpQueryHeaders", f.query_headers) &&
           bind(library, "WinHttpCloseHandle", f.close_handle);
}

}  // namespace

WinHttpFunctions* winhttp_functions() {
    // The library stays loaded for the life of the process. It comes from the system
    // folder only: the program's own folder may be writable by anyone who can plant a
    // library of that name there.
    static WinHttpFunctions* const bound = []() -> WinHttpFunctions* {
        static WinHttpFunctions functions{};
        const HMODULE library =
            LoadLibraryExW(L"winhttp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!library || !bind_all(library, functions) || !functions.check_platform()) {
            return nullptr;
        }
        return &functions;
    }();
    return bound;
}

}  // namespace velmora
