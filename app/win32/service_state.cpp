#include "app/win32/service_state.h"

#include <windows.h>

#include <cwctype>

namespace velmora {

namespace {

std::wstring lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

}  // namespace

ServiceState service_state() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        return ServiceState::not_installed;
    }
    ServiceState state = ServiceState::not_installed;
    if (SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_QUERY_STATUS)) {
        SERVICE_STATUS status{};
        state = QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED
                    ? ServiceState::running
                    : ServiceState::stopped;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return state;
}

std::wstring service_command(const std::wstring& executable) {
    return L"\"" + executable + L"\" --service";
}

bool is_our_service_command(const std::wstring& command) {
    const std::wstring ending = L"\\velmora-headless.exe\" --service";
    const std::wstring text = lower(command);
    return text.size() > ending.size() + 1 && text.front() == L'"' &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace velmora
