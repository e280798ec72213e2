// The account's records for a shell task, with the credential the settings file holds.
#pragma once

#include <optional>

#include "app/shell/account_records.h"
#include "app/shell/shell_console.h"
#include "base/system/settings_location.h"

namespace velmora {

// The listing, or nothing after one line on standard error that says why: no ID and
// Token saved yet, the provider refused them, or the account has no domain.
std::optional<AccountListing> listing_with_stored_login(ShellConsole& console,
                                                        const Endpoints& endpoints,
                                                        const SettingsLocation& settings);

}  // namespace velmora
