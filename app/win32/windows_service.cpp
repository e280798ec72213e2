#include "app/win32/windows_service.h"

#include <windows.h>

#include <aclapi.h>

#include <string>

#include "app/headless/headless_controls.h"
#include "app/win32/service_state.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/win32/wide_text.h"

namespace velmora {

namespace {

constexpr int kFailed = 1;
// What the service manager waits before it starts the service again after a failure.
constexpr DWORD kRestartDelayMs = 60 * 1000;
// A stop ends the loop and any transfer within two seconds.
constexpr DWORD kStopWaitHintMs = 2000;

void say(const Text& line) {
    print_line(stdout, line);
}

int fail(const Text& line) {
    print_line(stderr, "velmora: " + line);
    return kFailed;
}

Text error_text(DWORD error) {
    wchar_t* message = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = message != nullptr ? message : L"";
    LocalFree(message);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.')) {
        text.pop_back();
    }
    return gbk("（错误 ") + std::to_string(error) +
           (text.empty() ? "" : ": " + text_from_wide(text)) + gbk("）");
}

const Text& needs_administrator() {
    return gbk("安装或删除后台服务要有管理员权限：请在以管理员身份运行的命令提示符中再试");
}

std::wstring own_executable() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

// Closes a service manager handle when it goes.
class ServiceHandle {
  public:
    explicit ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ServiceHandle() {
        if (handle_ != nullptr) {
            CloseServiceHandle(handle_);
        }
    }
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    SC_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    SC_HANDLE handle_;
};

// The command line of an installed service, or the empty string.
std::wstring command_of(SC_HANDLE service) {
    DWORD needed = 0;
    QueryServiceConfigW(service, nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (needed == 0 || !QueryServiceConfigW(service, config, needed, &needed) ||
        config->lpBinaryPathName == nullptr) {
        return {};
    }
    return config->lpBinaryPathName;
}

// What the service manager holds beyond the command line: the description, the delayed
// start and the restart after a failure (also when the run ends with an error of its
// own, not only after a crash). The platform's error, or 0.
DWORD configure(SC_HANDLE service, bool* delayed_start) {
    std::wstring description = wide_text(gbk(
        "按公网IP更新服务商的动态域名记录（velmora-headless.exe，设置在程序旁边的 velmora.ini）"));
    SERVICE_DESCRIPTIONW described{description.data()};
    SERVICE_DELAYED_AUTO_START_INFO delayed{TRUE};
    SC_ACTION restart[3] = {{SC_ACTION_RESTART, kRestartDelayMs},
                            {SC_ACTION_RESTART, kRestartDelayMs},
                            {SC_ACTION_RESTART, kRestartDelayMs}};
    SERVICE_FAILURE_ACTIONSW failure{};
    failure.dwResetPeriod = 24 * 60 * 60;
    failure.cActions = 3;
    failure.lpsaActions = restart;
    SERVICE_FAILURE_ACTIONS_FLAG on_any_failure{TRUE};
    // A service manager that keeps no delayed start or no failure flag (Wine's) still
    // runs the service: those two are said and skipped, the others are needed.
    const struct {
        DWORD level;
        void* value;
        const Text* lacking;
    } settings[] = {
        {SERVICE_CONFIG_DESCRIPTION, &described, nullptr},
        {SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed,
         &gbk("这个服务管理器不支持延迟启动，后台服务改为开机后立即启动")},
        {SERVICE_CONFIG_FAILURE_ACTIONS, &failure, nullptr},
        {SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &on_any_failure,
         &gbk("这个服务管理器只在后台服务崩溃后重新启动它，它报告失败而结束时不会")},
    };
    for (const auto& setting : settings) {
        if (!ChangeServiceConfig2W(service, setting.level, setting.value)) {
            const DWORD error = GetLastError();
            if (error != ERROR_INVALID_LEVEL || setting.lacking == nullptr) {
                return error;
            }
            say(*setting.lacking);
            *delayed_start =
                *delayed_start && setting.level != SERVICE_CONFIG_DELAYED_AUTO_START_INFO;
        }
    }
    return 0;
}

bool wait_for_state(SC_HANDLE service, DWORD state, DWORD limit_ms) {
    for (DWORD waited = 0;; waited += 100) {
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service, &status)) {
            return false;
        }
        if (status.dwCurrentState == state) {
            return true;
        }
        if (waited >= limit_ms) {
            return false;
        }
        Sleep(100);
    }
}

// Starts the service, waiting while the manager's database is locked (during a boot the
// manager holds it while it starts the automatic services, which may take a while).
bool start_service(SC_HANDLE service) {
    for (int tries = 0;; ++tries) {
        if (StartServiceW(service, 0, nullptr)) {
            return true;
        }
        if (GetLastError() != ERROR_SERVICE_DATABASE_LOCKED || tries == 300) {
            return false;
        }
        Sleep(100);
    }
}

// The service's own run, as the service manager calls it.
const std::function<int()>* service_run = nullptr;
SERVICE_STATUS_HANDLE status_handle = nullptr;
int service_exit = 0;

void report(DWORD state, DWORD exit_code = 0) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    // A failure of the run's own (no credential, a refused login) is the run's status,
    // so that the service manager shows it and its restart action applies.
    status.dwWin32ExitCode = exit_code == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = exit_code;
    status.dwWaitHint = state == SERVICE_STOP_PENDING ? kStopWaitHintMs : 0;
    SetServiceStatus(status_handle, &status);
}

DWORD WINAPI on_control(DWORD control, DWORD, void*, void*) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            report(SERVICE_STOP_PENDING);
            request_shutdown();
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI service_main(DWORD, wchar_t**) {
    status_handle = RegisterServiceCtrlHandlerExW(kServiceName, on_control, nullptr);
    if (status_handle == nullptr) {
        service_exit = kFailed;
        return;
    }
    report(SERVICE_RUNNING);
    service_exit = (*service_run)();
    report(SERVICE_STOPPED, static_cast<DWORD>(service_exit));
}

}  // namespace

std::vector<std::wstring> service_files(const std::wstring& directory) {
    std::vector<std::wstring> files;
    for (const wchar_t* name : {L"velmora.ini", L"velmora.lock", L"velmora.log"}) {
        files.push_back(directory + L"\\" + name);
        // Made when missing (opened for nothing, so an existing one stays as it is).
        HANDLE file = CreateFileW(files.back().c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
    }
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((directory + L"\\velmora.log.*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            // The pattern also matches velmora.log itself.
            if (std::wstring(found.cFileName).size() > std::wstring(L"velmora.log.").size()) {
                files.push_back(directory + L"\\" + found.cFileName);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return files;
}

PACL with_service_account_entry(PACL current, unsigned long* error) {
    BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    DWORD sid_size = sizeof sid;
    if (!CreateWellKnownSid(WinLocalServiceSid, nullptr, sid, &sid_size)) {
        *error = GetLastError();
        return nullptr;
    }
    EXPLICIT_ACCESS_W entry{};
    // Delete as well: the settings file is replaced by a new one.
    entry.grfAccessPermissions = FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE;
    entry.grfAccessMode = GRANT_ACCESS;
    entry.grfInheritance = NO_INHERITANCE;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    entry.Trustee.ptstrName = reinterpret_cast<wchar_t*>(sid);
    PACL updated = nullptr;
    *error = SetEntriesInAclW(1, &entry, current, &updated);
    return *error == ERROR_SUCCESS ? updated : nullptr;
}

unsigned long grant_service_account(const std::wstring& file) {
    PACL current = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    unsigned long error =
        GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &current, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    // A list of one entry would shut out everyone else.
    if (current != nullptr) {
        if (PACL updated = with_service_account_entry(current, &error)) {
            error = SetNamedSecurityInfoW(const_cast<wchar_t*>(file.c_str()), SE_FILE_OBJECT,
                                          DACL_SECURITY_INFORMATION, nullptr, nullptr, updated,
                                          nullptr);
            LocalFree(updated);
        }
    }
    LocalFree(descriptor);
    return error;
}

int WindowsService::install(const SettingsLocation& settings) {
    ServiceHandle manager(
        OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (!manager) {
        const DWORD error = GetLastError();
        return fail(error == ERROR_ACCESS_DENIED ? needs_administrator()
                                                 : gbk("无法打开服务管理器") + error_text(error));
    }
    const std::wstring command = service_command(own_executable());
    if (ServiceHandle existing(OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_CONFIG));
        existing) {
        const std::wstring installed = command_of(existing.get());
        if (lstrcmpiW(installed.c_str(), command.c_str()) == 0) {
            say(gbk("后台服务 Velmora 已经安装，没有改动"));
            return 0;
        }
        return fail((is_our_service_command(installed)
                         ? gbk("后台服务 Velmora 已为另一个文件夹的程序安装，没有改动；"
                               "要改用这里的程序，请先运行 --uninstall-service：")
                         : gbk("已有另一个名为 Velmora 的服务，不是本程序的，没有改动：")) +
                    text_from_wide(installed));
    }
    for (const std::wstring& file : service_files(wide_text(settings.directory))) {
        if (const unsigned long error = grant_service_account(file); error != 0) {
            return fail(gbk("无法让 LocalService 账户读写 ") + text_from_wide(file) +
                        error_text(error));
        }
    }
    ServiceHandle service(CreateServiceW(
        manager.get(), kServiceName, kServiceName,
        SERVICE_CHANGE_CONFIG | SERVICE_START | SERVICE_QUERY_STATUS | DELETE,
        SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, command.c_str(),
        nullptr, nullptr, nullptr, L"NT AUTHORITY\\LocalService", L""));
    if (!service) {
        return fail(gbk("无法安装后台服务 Velmora") + error_text(GetLastError()));
    }
    bool delayed_start = true;
    if (const DWORD error = configure(service.get(), &delayed_start); error != 0) {
        DeleteService(service.get());
        return fail(gbk("无法设置后台服务 Velmora，已撤销安装") + error_text(error));
    }
    say(gbk("后台服务 Velmora 已安装：开机后自动启动") +
        (delayed_start ? gbk("（延迟启动）") : "") +
        gbk("，以 LocalService 账户运行，失败后60秒重新启动；设置文件：") + settings.settings_file);
    if (!start_service(service.get())) {
        return fail(gbk("后台服务 Velmora 已安装，但没能启动") + error_text(GetLastError()));
    }
    say(gbk("后台服务 Velmora 已启动，运行记录见 ") + settings.directory + "\\velmora.log");
    return 0;
}

int WindowsService::uninstall() {
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return fail(gbk("无法打开服务管理器") + error_text(GetLastError()));
    }
    ServiceHandle service(
        OpenServiceW(manager.get(), kServiceName,
                     SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_STOP | DELETE));
    if (!service) {
        const DWORD error = GetLastError();
        if (error == ERROR_SERVICE_DOES_NOT_EXIST) {
            return fail(gbk("没有安装后台服务 Velmora，没有改动"));
        }
        return fail(error == ERROR_ACCESS_DENIED
                        ? needs_administrator()
                        : gbk("无法打开后台服务 Velmora") + error_text(error));
    }
    const std::wstring installed = command_of(service.get());
    if (!is_our_service_command(installed)) {
        return fail(gbk("名为 Velmora 的服务不是本程序的，没有改动：") + text_from_wide(installed));
    }
    SERVICE_STATUS status{};
    if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status) &&
        !wait_for_state(service.get(), SERVICE_STOPPED, 10000)) {
        return fail(gbk("后台服务 Velmora 没有在10秒内停止，没有删除"));
    }
    if (!DeleteService(service.get())) {
        const DWORD error = GetLastError();
        if (error == ERROR_SERVICE_MARKED_FOR_DELETE) {
            say(gbk("后台服务 Velmora 已在删除中：关闭还打开着它的程序（例如“服务”窗口）后就删除"));
            return 0;
        }
        return fail(gbk("无法删除后台服务 Velmora") + error_text(error));
    }
    say(gbk("后台服务 Velmora 已停止并删除"));
    return 0;
}

int WindowsService::serve(const std::function<int()>& run) {
    service_run = &run;
    std::wstring name = kServiceName;
    SERVICE_TABLE_ENTRYW table[] = {{name.data(), service_main}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) {
        const DWORD error = GetLastError();
        return fail(error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT
                        ? gbk("--service 只由服务管理器启动；要在这里运行，不带参数启动即可")
                        : gbk("无法连接服务管理器") + error_text(error));
    }
    return service_exit;
}

}  // namespace velmora
