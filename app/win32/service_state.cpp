#include "app/win32/service_state.h"

#include <windows.h>

#include <cwctype>

#include "base/gbk.h"

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

Text service_state_line(ServiceState state) {
    switch (state) {
        case ServiceState::running:
            return gbk("后台服务：已安装，正在运行");
        case ServiceState::stopped:
            return gbk("后台服务：已安装，已停止");
        case ServiceState::not_installed:
            break;
    }
    return gbk("后台服务：未安装");
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
