// Internal: the WinHttp functions the transfer calls, bound by name from the system
// folder's winhttp.dll at first use, so a system without the library reports it per
// request instead of failing to start.
#pragma once

#include <windows.h>
#include <winhttp.h>

namespace velmora {

struct WinHttpFunctions {
    decltype(&::WinHttpCheckPlatform) check_platform;
    decltype(&::WinHttpOpen) open;
    decltype(&::WinHttpSetTimeouts) set_timeouts;
    decltype(&::WinHttpConnect) connect;
    decltype(&::WinHttpOpenRequest) open_request;
    decltype(&::WinHttpSetStatusCallback) set_status_callback;
    decltype(&::WinHttpSetCredentials) set_credentials;
    decltype(&::WinHttpSetOption) set_option;
    decltype(&::WinHttpAddRequestHeaders) add_request_headers;
    decltype(&::WinHttpSendRequest) send_request;
    decltype(&::WinHttpReceiveResponse) receive_response;
    decltype(&::WinHttpQueryDataAvailable) query_data_available;
    decltype(&::WinHttpReadData) read_data;
    decltype(&::WinHttpQueryHeaders) query_headers;
    decltype(&::WinHttpCloseHandle) close_handle;
};

// The bound functions; null when the library, one of the functions or the platform
// check fails. Bound once per process. Every call of the transfer goes through this
// table, so a test may wrap its entries to watch how handles are used.
WinHttpFunctions* winhttp_functions();

}  // namespace velmora
