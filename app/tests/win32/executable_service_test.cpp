// velmora-headless.exe as the Windows service, through Wine's service manager: installed
// (the manager's record, and the program's files for LocalService's entries),
// started, following the sandbox's address, taking a tick the window saves at its next
// pass while the window runs no loop of its own, stopped within two seconds, removed.
//
// Wine differs from Windows: its service manager runs a service as the calling user,
// whatever account it names, so the account's rights cannot be tried for real (nor read
// back: Wine keeps no per-file access lists); and it ends a service without
// notice once no other Wine process runs, so the test (a Wine process itself) stops the
// service before it ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/win32/wide_text.h"
#include "support/headless_program.h"
#include "support/velmora_program.h"

namespace velmora {
namespace {

using std::chrono::milliseconds;

// Closed however the test ends: a service deleted while a handle stays open is only
// marked for deletion, and no later test could install one of that name.
struct CloseService {
    void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, CloseService>;

constexpr char kToken[] = "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24";

class VelmoraService : public ExecutableTest {
  protected:
    void SetUp() override {
        ExecutableTest::SetUp();
        remove_leftover_service();
        manager_ = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        ASSERT_NE(manager_, nullptr);
        // Wine's boot starts its own automatic services in the background, one after the
        // other, some of which wait out their time-out here (no devices to serve); while
        // it does, the manager answers no other service's start in time. So the test
        // waits for four seconds without a service starting.
        auto quiet_since = std::chrono::steady_clock::now();
        ASSERT_TRUE(wait_until(
            [&] {
                if (any_service_starting()) {
                    quiet_since = std::chrono::steady_clock::now();
                }
                return std::chrono::steady_clock::now() - quiet_since > milliseconds(4000);
            },
            milliseconds(120000)));
    }
    void TearDown() override {
        remove_leftover_service();
        CloseServiceHandle(manager_);
    }
    bool any_service_starting() const {
        DWORD needed = 0;
        DWORD count = 0;
        EnumServicesStatusExW(manager_, SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER,
                              SERVICE_STATE_ALL, nullptr, 0, &needed, &count, nullptr, nullptr);
        std::string buffer(needed, '\0');
        auto* services = reinterpret_cast<ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
        if (!EnumServicesStatusExW(manager_, SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER,
                                   SERVICE_STATE_ALL, reinterpret_cast<BYTE*>(buffer.data()),
                                   needed, &needed, &count, nullptr, nullptr)) {
            return true;
        }
        for (DWORD i = 0; i < count; ++i) {
            if (services[i].ServiceStatusProcess.dwCurrentState == SERVICE_START_PENDING) {
                return true;
            }
        }
        return false;
    }
    ServiceHandle open_service() const {
        return ServiceHandle(OpenServiceW(manager_, L"Velmora", SERVICE_ALL_ACCESS));
    }
    static SERVICE_STATUS status_of(SC_HANDLE service) {
        SERVICE_STATUS status{};
        QueryServiceStatus(service, &status);
        return status;
    }
    Text history(const std::wstring& folder) const {
        return file_bytes(gbk_path(folder) + "\\velmora.log");
    }
    testing::AssertionResult history_shows(const std::wstring& folder, const Text& piece,
                                           std::size_t at_least = 1) const {
        const bool shown = wait_until(
            [&] {
                const Text text = history(folder);
                std::size_t count = 0;
                for (auto at = text.find(piece); at != Text::npos; at = text.find(piece, at + 1)) {
                    ++count;
                }
                return count >= at_least;
            },
            milliseconds(20000));
        if (shown) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure() << "the history holds: " << history(folder);
    }

    SC_HANDLE manager_ = nullptr;
};

// Variable-sized answers of QueryServiceConfig2W.
std::string service_config(SC_HANDLE service, DWORD level) {
    DWORD needed = 0;
    QueryServiceConfig2W(service, level, nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    if (needed == 0 || !QueryServiceConfig2W(service, level, reinterpret_cast<BYTE*>(buffer.data()),
                                             needed, &needed)) {
        return {};
    }
    return buffer;
}

TEST_F(VelmoraService, InstalledItFollowsTheAddressTakesTheWindowsTickAndStopsPromptly) {
    const std::wstring folder = folder_beside_program(L"后台服务");
    const Text settings = fresh_settings(folder);
    write_ini_item(settings, gbk("登入数据"), "Token", kToken);
    write_ini_item(settings, gbk("监控记录"), "1001", "5001");
    DeleteFileW((folder + L"\\velmora.log").c_str());
    DeleteFileW((folder + L"\\velmora.lock").c_str());

    HeadlessResult run = run_headless_program(folder, L"--install-service");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find(gbk("后台服务 Velmora 已安装")), Text::npos) << run.out;
    EXPECT_NE(run.out.find(gbk("后台服务 Velmora 已启动")), Text::npos) << run.out;

    // The manager's record.
    ServiceHandle handle = open_service();
    SC_HANDLE service = handle.get();
    ASSERT_NE(service, nullptr);
    DWORD needed = 0;
    QueryServiceConfigW(service, nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    ASSERT_TRUE(QueryServiceConfigW(service, config, needed, &needed));
    EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(std::wstring(config->lpServiceStartName), L"NT AUTHORITY\\LocalService");
    EXPECT_EQ(lstrcmpiW(config->lpBinaryPathName,
                        (L"\"" + folder + L"\\velmora-headless.exe\" --service").c_str()),
              0)
        << utf8(config->lpBinaryPathName);
    // Wine's service manager keeps no delayed start (ERROR_INVALID_LEVEL), which the
    // install says; Windows' does.
    const std::string delayed = service_config(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO);
    if (delayed.empty()) {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
        EXPECT_NE(run.out.find(gbk("不支持延迟启动")), Text::npos) << run.out;
    } else {
        EXPECT_TRUE(reinterpret_cast<const SERVICE_DELAYED_AUTO_START_INFO*>(delayed.data())
                        ->fDelayedAutostart);
    }
    // Wine's manager takes the failure actions without keeping them (it answers no
    // query for them); Windows' gives them back.
    const std::string failure = service_config(service, SERVICE_CONFIG_FAILURE_ACTIONS);
    const auto* actions = reinterpret_cast<const SERVICE_FAILURE_ACTIONSW*>(failure.data());
    if (!failure.empty() && actions->cActions > 0) {
        EXPECT_EQ(actions->lpsaActions[0].Type, SC_ACTION_RESTART);
        EXPECT_EQ(actions->lpsaActions[0].Delay, 60000U);
    }
    const std::string description = service_config(service, SERVICE_CONFIG_DESCRIPTION);
    ASSERT_FALSE(description.empty());
    EXPECT_NE(std::wstring(
                  reinterpret_cast<const SERVICE_DESCRIPTIONW*>(description.data())->lpDescription)
                  .find(L"velmora.ini"),
              std::wstring::npos);

    // The files LocalService is granted are made if missing. (Their entries cannot be read
    // back here: Wine keeps no access list of a file's own, only its Unix mode, and
    // answers with a list made from that; service_access_test checks the entry.)
    for (const wchar_t* name : {L"velmora.lock", L"velmora.log"}) {
        EXPECT_NE(GetFileAttributesW((folder + L"\\" + name).c_str()), INVALID_FILE_ATTRIBUTES);
    }

    // It runs: logged in with the stored credential, its lines in the history file.
    ASSERT_TRUE(history_shows(folder, gbk("]：公网IP无变化")));
    EXPECT_EQ(status_of(service).dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));

    // A second install says so and changes nothing.
    run = run_headless_program(folder, L"--install-service");
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, gbk("后台服务 Velmora 已经安装，没有改动\r\n"));

    sandbox_control("public-address?ip=203.0.113.77", 1);
    ASSERT_TRUE(history_shows(folder, gbk("]：更新记录值成功|IP为：203.0.113.77")));
    EXPECT_NE(sandbox_control("records?domain_id=1001", 0).find("203.0.113.77"), Text::npos);

    // The window started meanwhile shows the records, says who keeps them and runs no loop;
    // its tick reaches the service's next pass.
    {
        Program window_program(folder);
        HWND window = window_program.main_window();
        ASSERT_NE(window, nullptr) << window_program.describe();
        const MainControls controls(window);
        log_in(window_program, window);
        EXPECT_TRUE(
            run_log_shows(controls.run_log,
                          L"另一个运行中的velmora正在为这个设置文件更新记录，这里不再另外更新："));
        sandbox_control("counters/reset", 1);
        window_program.tick_row(controls.lists[0], 2);  // the @ record, 5002
        ASSERT_TRUE(wait_until(
            [&] { return read_ini_item(settings, gbk("监控记录"), "1001") == "5001,5002"; },
            milliseconds(10000)));
        ASSERT_TRUE(history_shows(folder, gbk("设置文件中的监控记录有变化，已按它勾选：")));
        ASSERT_TRUE(wait_until(
            [&] {
                const Text records = sandbox_control("records?domain_id=1001", 0);
                const std::size_t at = records.find("5002");
                return at != Text::npos && records.find("203.0.113.77", at) != Text::npos;
            },
            milliseconds(20000)))
            << sandbox_control("records?domain_id=1001", 0);
        Sleep(4500);  // two more passes, in which a second loop would write too
        EXPECT_NE(sandbox_control("counters", 0).find("\"Record.Modify\":1"), Text::npos)
            << sandbox_control("counters", 0);
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(window_program.exit_code_within(milliseconds(5000)), 0);
    }

    // Stopped as the manager stops it: within two seconds, and no failure.
    SERVICE_STATUS status{};
    const auto stopping = std::chrono::steady_clock::now();
    ASSERT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status));
    ASSERT_TRUE(wait_until([&] { return status_of(service).dwCurrentState == SERVICE_STOPPED; },
                           milliseconds(5000)));
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, milliseconds(2000));
    EXPECT_EQ(status_of(service).dwWin32ExitCode, static_cast<DWORD>(NO_ERROR));
    handle.reset();  // else the removal would wait for it

    run = run_headless_program(folder, L"--uninstall-service");
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, gbk("后台服务 Velmora 已停止并删除\r\n"));
    EXPECT_EQ(open_service(), nullptr);
    run = run_headless_program(folder, L"--uninstall-service");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find(gbk("没有安装后台服务 Velmora，没有改动")), Text::npos) << run.err;
}

TEST_F(VelmoraService, WithoutACredentialItSaysSoAndStopsWithAFailure) {
    const std::wstring folder = folder_beside_program(L"后台服务 无登入");
    fresh_settings(folder);  // an ID, no token
    DeleteFileW((folder + L"\\velmora.log").c_str());
    HeadlessResult run = run_headless_program(folder, L"--install-service");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const ServiceHandle service = open_service();
    ASSERT_NE(service, nullptr);
    ASSERT_TRUE(
        wait_until([&] { return status_of(service.get()).dwCurrentState == SERVICE_STOPPED; },
                   milliseconds(20000)));
    const SERVICE_STATUS status = status_of(service.get());
    EXPECT_EQ(status.dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
    EXPECT_EQ(status.dwServiceSpecificExitCode, 1U);
    EXPECT_TRUE(history_shows(folder, gbk("设置文件中没有ID和Token（登入数据）：")));
}

TEST_F(VelmoraService, AServiceOfThatNameThatIsNotOursIsLeftAlone) {
    const std::wstring folder = folder_beside_program(L"后台服务 别人的");
    fresh_settings(folder);
    DeleteFileW((folder + L"\\velmora.lock").c_str());
    const std::wstring other = L"C:\\windows\\system32\\notepad.exe";
    ASSERT_NE(ServiceHandle(CreateServiceW(manager_, L"Velmora", L"Velmora", SERVICE_ALL_ACCESS,
                                           SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                           SERVICE_ERROR_NORMAL, other.c_str(), nullptr, nullptr,
                                           nullptr, nullptr, nullptr)),
              nullptr);

    for (const wchar_t* option : {L"--install-service", L"--uninstall-service"}) {
        SCOPED_TRACE(utf8(option));
        const HeadlessResult run = run_headless_program(folder, option);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_NE(run.err.find(gbk("不是本程序的，没有改动")), Text::npos) << run.err;
        const ServiceHandle service = open_service();
        ASSERT_NE(service, nullptr);
        DWORD needed = 0;
        QueryServiceConfigW(service.get(), nullptr, 0, &needed);
        std::string buffer(needed, '\0');
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        ASSERT_TRUE(QueryServiceConfigW(service.get(), config, needed, &needed));
        EXPECT_EQ(std::wstring(config->lpBinaryPathName), other);
    }
    EXPECT_EQ(GetFileAttributesW((folder + L"\\velmora.lock").c_str()),
              INVALID_FILE_ATTRIBUTES);  // nothing made, nothing granted
}

}  // namespace
}  // namespace velmora
