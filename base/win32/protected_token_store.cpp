// The data protection API: the token's protected bytes, base64, in velmora.ini's key
// ProtectedToken of 登入数据. The user's scope ties them to this account on this
// machine; where the Velmora service is installed, which runs under an account of its
// own, the machine's scope ties them to this machine.
#include <windows.h>
// clang-format off
#include <wincrypt.h>
// clang-format on

#include <string>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/system/token_store.h"

namespace velmora {

namespace {

const Text& login_section() {
    return gbk("登入数据");
}
constexpr char kKey[] = "ProtectedToken";

// Our own secondary key: another program of this account that asks the same API for its
// own secrets does not get ours.
DATA_BLOB entropy() {
    static char bytes[] = "Velmora API token";
    return {sizeof bytes - 1, reinterpret_cast<BYTE*>(bytes)};
}

// Asked read-only; an account that may not ask gets the user's scope.
bool service_installed() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        return false;
    }
    SC_HANDLE service = OpenServiceW(manager, L"Velmora", SERVICE_QUERY_STATUS);
    const bool found = service != nullptr || GetLastError() == ERROR_ACCESS_DENIED;
    if (service != nullptr) {
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return found;
}

Text to_base64(const DATA_BLOB& blob) {
    DWORD length = 0;
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    if (!CryptBinaryToStringA(blob.pbData, blob.cbData, flags, nullptr, &length)) {
        return {};
    }
    std::string text(length, '\0');
    if (!CryptBinaryToStringA(blob.pbData, blob.cbData, flags, text.data(), &length)) {
        return {};
    }
    text.resize(length);
    return text;
}

std::string from_base64(const Text& text) {
    DWORD length = 0;
    if (!CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                              nullptr, &length, nullptr, nullptr)) {
        return {};
    }
    std::string bytes(length, '\0');
    if (!CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                              reinterpret_cast<BYTE*>(bytes.data()), &length, nullptr, nullptr)) {
        return {};
    }
    bytes.resize(length);
    return bytes;
}

class ProtectedTokenStore : public TokenStore {
  public:
    explicit ProtectedTokenStore(const Text& settings_path) : path_(settings_path) {}

    Text keep(const Text&, const Text& token) override {
        DATA_BLOB plain{static_cast<DWORD>(token.size()),
                        reinterpret_cast<BYTE*>(const_cast<char*>(token.data()))};
        DATA_BLOB secondary = entropy();
        DATA_BLOB sealed{};
        DWORD flags = CRYPTPROTECT_UI_FORBIDDEN;
        if (service_installed()) {
            flags |= CRYPTPROTECT_LOCAL_MACHINE;
        }
        if (!CryptProtectData(&plain, L"Velmora API token", &secondary, nullptr, nullptr, flags,
                              &sealed)) {
            return gbk("系统的数据保护接口拒绝了保护Token");
        }
        const Text text = to_base64(sealed);
        SecureZeroMemory(sealed.pbData, sealed.cbData);
        LocalFree(sealed.pbData);
        if (text.empty() || !write_ini_item(path_, login_section(), kKey, text)) {
            return gbk("设置文件无法写入：") + path_;
        }
        return {};
    }

    TokenLookup find(const Text&) override {
        const Text text = read_ini_item(path_, login_section(), kKey);
        if (text.empty()) {
            return {std::nullopt, gbk("设置文件中没有受保护的Token（ProtectedToken）")};
        }
        std::string bytes = from_base64(text);
        DATA_BLOB sealed{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())};
        DATA_BLOB secondary = entropy();
        DATA_BLOB plain{};
        if (bytes.empty() || !CryptUnprotectData(&sealed, nullptr, &secondary, nullptr, nullptr,
                                                 CRYPTPROTECT_UI_FORBIDDEN, &plain)) {
            return {std::nullopt,
                    gbk("受保护的Token无法解密：它是在另一个账户或另一台电脑上保护的，或已损坏")};
        }
        Text token(reinterpret_cast<const char*>(plain.pbData), plain.cbData);
        SecureZeroMemory(plain.pbData, plain.cbData);
        LocalFree(plain.pbData);
        if (token.empty() || token.find('\0') != Text::npos) {
            return {std::nullopt, gbk("受保护的Token已损坏")};
        }
        return {std::move(token), {}};
    }

    void forget(const Text&) override { write_ini_item(path_, login_section(), kKey, {}); }

  private:
    const Text path_;
};

}  // namespace

std::unique_ptr<TokenStore> platform_token_store(const Text& settings_path) {
    return std::make_unique<ProtectedTokenStore>(settings_path);
}

}  // namespace velmora
