#include "app/shell/stored_login.h"

#include "app/settings/settings_file.h"
#include "base/gbk.h"

namespace velmora {

std::optional<AccountListing> listing_with_stored_login(ShellConsole& console,
                                                        const Endpoints& endpoints,
                                                        const SettingsLocation& settings) {
    const StoredCredential credential = stored_credential(settings.settings_file);
    if (credential.id.empty() || credential.token.empty()) {
        console.complain(gbk("设置文件中还没有ID和Token，请先用 --login 登入：") +
                         settings.settings_file);
        return std::nullopt;
    }
    AccountListing listing =
        list_account(endpoints, credential.id, credential.token, settings.settings_file);
    if (!listing.logged_in) {
        console.complain(listing.messages.empty() ? gbk("账户中没有域名")
                                                  : listing.messages.front());
        return std::nullopt;
    }
    return listing;
}

}  // namespace velmora
