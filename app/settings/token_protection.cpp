#include "app/settings/token_protection.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/settings/run_options.h"
#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/system/atomic_file.h"
#include "base/system/service_credential.h"
#include "base/system/token_store.h"

namespace velmora {

namespace {

const Text& login_section() {
    return gbk("登入数据");
}

bool write_file_token(const Text& settings_path, const Text& token) {
    return write_ini_item(settings_path, login_section(), "Token", token);
}

// The token systemd handed to this run, when the unit passes one.
std::optional<Text> passed_credential() {
    const char* directory = std::getenv("CREDENTIALS_DIRECTORY");
    if (directory == nullptr || *directory == '\0') {
        return std::nullopt;
    }
    std::optional<std::string> bytes = read_whole_file(std::string(directory) + "/velmora-token");
    if (!bytes) {
        return std::nullopt;
    }
    // A credential made from a file usually ends with that file's line end.
    while (!bytes->empty() && (bytes->back() == '\n' || bytes->back() == '\r')) {
        bytes->pop_back();
    }
    if (bytes->empty() || bytes->find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return bytes;
}

bool exists(const Text& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

}  // namespace

TokenRead token_for(const Text& settings_path, const Text& id) {
    if (std::optional<Text> credential = passed_credential()) {
        return {std::move(*credential), {}};
    }
    if (!run_option(settings_path, RunOption::protect_token)) {
        Text token = read_ini_item(settings_path, login_section(), "Token");
        // Root's set-up tasks on the service's settings (--system --list, --status).
        if (token.empty() && exists(service_credential_path(settings_path))) {
            token = decrypt_service_credential(service_credential_path(settings_path)).value_or("");
        }
        return {std::move(token), {}};
    }
    if (id.empty()) {
        return {};
    }
    TokenLookup lookup = platform_token_store(settings_path)->find(id);
    if (lookup.token) {
        return {std::move(*lookup.token), {}};
    }
    // The store keeps what it has; the file stays as it is for the next start.
    return {{},
            gbk("保护令牌已打开，但无法取出这个ID的Token：") + lookup.problem +
                gbk("。请输入Token后重新登入（设置文件没有改动）")};
}

Text save_token(const Text& settings_path, const Text& id, const Text& token) {
    if (run_option(settings_path, RunOption::protect_token)) {
        const Text problem = platform_token_store(settings_path)->keep(id, token);
        if (!problem.empty()) {
            return gbk("Token没有保存（保护令牌已打开，Token不写入设置文件）：") + problem;
        }
        write_file_token(settings_path, {});
        return {};
    }
    // The service's own run: its token is root's to change, through --system --login.
    if (passed_credential()) {
        return {};
    }
    if (exists(service_credential_path(settings_path))) {
        if (Text problem =
                encrypt_service_credential(token, service_credential_path(settings_path));
            !problem.empty()) {
            return gbk("Token没有保存：") + problem;
        }
        write_file_token(settings_path, {});
        return {};
    }
    // As always: a file that cannot be written is left as it was, silently.
    write_file_token(settings_path, token);
    return {};
}

Text protect_token(const Text& settings_path, const Text& id, const Text& token) {
    if (id.empty() || token.empty()) {
        return gbk("没有打开保护令牌：请先输入ID和Token");
    }
    const std::unique_ptr<TokenStore> owned = platform_token_store(settings_path);
    TokenStore& store = *owned;
    if (const Text problem = store.keep(id, token); !problem.empty()) {
        return gbk("没有打开保护令牌，Token仍在原处：") + problem;
    }
    if (!set_run_option(settings_path, RunOption::protect_token, true)) {
        store.forget(id);
        return gbk("没有打开保护令牌：设置文件无法写入：") + settings_path;
    }
    if (!write_file_token(settings_path, {})) {
        return gbk("保护令牌已打开，但设置文件中的Token无法清空：") + settings_path;
    }
    return {};
}

Text unprotect_token(const Text& settings_path, const Text& id, const Text& token) {
    const std::unique_ptr<TokenStore> owned = platform_token_store(settings_path);
    TokenStore& store = *owned;
    Text value = token;
    if (value.empty()) {
        TokenLookup lookup = id.empty() ? TokenLookup{} : store.find(id);
        if (!lookup.token) {
            return gbk("没有关闭保护令牌：没有可以放回设置文件的Token。") + lookup.problem;
        }
        value = std::move(*lookup.token);
    }
    if (!write_file_token(settings_path, value) ||
        !set_run_option(settings_path, RunOption::protect_token, false)) {
        return gbk("没有关闭保护令牌：设置文件无法写入：") + settings_path;
    }
    store.forget(id);
    return {};
}

Text service_credential_path(const Text& settings_path) {
    const std::filesystem::path file(settings_path);
    return (file.parent_path() / "token.cred").string();
}

Text protect_service_token(const Text& settings_path, const Text& unit_drop_in) {
    const Text credential = service_credential_path(settings_path);
    const Text token = read_ini_item(settings_path, login_section(), "Token");
    if (token.empty()) {
        return exists(credential) ? gbk("Token已经加密保存在 ") + credential
                                  : gbk("设置文件中没有Token，请先用 --system --login 登入");
    }
    if (Text problem = encrypt_service_credential(token, credential); !problem.empty()) {
        return problem;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(unit_drop_in).parent_path(), error);
    const Text drop_in =
        "# Written by velmora-headless --system --protect-token; removed by\n"
        "# --unprotect-token. The token, encrypted with this machine's key.\n"
        "[Service]\n"
        "LoadCredentialEncrypted=velmora-token:" +
        credential + "\n";
    if (!replace_file_atomically(unit_drop_in, drop_in)) {
        std::filesystem::remove(credential, error);
        return gbk("无法写入服务的设置：") + unit_drop_in;
    }
    if (!write_file_token(settings_path, {})) {
        return gbk("Token已加密，但设置文件中的Token无法清空：") + settings_path;
    }
    return {};
}

Text unprotect_service_token(const Text& settings_path, const Text& unit_drop_in) {
    const Text credential = service_credential_path(settings_path);
    if (!exists(credential)) {
        return gbk("没有加密保存的Token：") + credential;
    }
    const std::optional<Text> token = decrypt_service_credential(credential);
    if (!token) {
        return gbk("无法解密 ") + credential;
    }
    if (!write_file_token(settings_path, *token)) {
        return gbk("设置文件无法写入：") + settings_path;
    }
    std::error_code error;
    std::filesystem::remove(unit_drop_in, error);
    std::filesystem::remove(credential, error);
    return {};
}

}  // namespace velmora
