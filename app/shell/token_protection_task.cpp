#include "app/shell/token_protection_task.h"

#include "app/settings/run_options.h"
#include "app/settings/settings_file.h"
#include "app/settings/token_protection.h"
#include "base/gbk.h"

namespace velmora {

namespace {

constexpr int kFailed = 1;

// Where the package's system unit takes its settings from: systemd reads this folder's
// files after the unit, so the credential is loaded only once there is one.
constexpr const char* kUnitDropIn = "/etc/systemd/system/velmora-headless.service.d/token.conf";

int service_protection(ShellConsole& console, const SettingsLocation& settings, bool on) {
    const Text& path = settings.settings_file;
    if (const Text problem = on ? protect_service_token(path, kUnitDropIn)
                                : unprotect_service_token(path, kUnitDropIn);
        !problem.empty()) {
        console.complain(problem);
        return kFailed;
    }
    console.print((on ? gbk("Token已用本机的密钥加密到 ") + service_credential_path(path) +
                            gbk("，设置文件中的Token已清空。\n")
                      : gbk("Token已放回 ") + path + gbk("，加密的凭据已删除。\n")) +
                  gbk("请运行：systemctl daemon-reload && systemctl restart velmora-headless\n"));
    return 0;
}

}  // namespace

int change_token_protection(ShellConsole& console, const SettingsLocation& settings, bool system,
                            bool on) {
    if (system) {
        return service_protection(console, settings, on);
    }
    const Text& path = settings.settings_file;
    if (run_option(path, RunOption::protect_token) == on) {
        console.print(on ? gbk("保护令牌已经打开\n") : gbk("保护令牌没有打开\n"));
        return 0;
    }
    const StoredCredential stored = stored_credential(path);
    const Text problem =
        on ? protect_token(path, stored.id, stored.token) : unprotect_token(path, stored.id, {});
    if (!problem.empty()) {
        console.complain(problem);
        return kFailed;
    }
    console.print(on ? gbk("已打开保护令牌：Token已交给系统保存，设置文件中的Token已清空\n")
                     : gbk("已关闭保护令牌：Token已放回设置文件 ") + path + "\n");
    return 0;
}

}  // namespace velmora
