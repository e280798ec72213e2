// The account's domains and records as the window's pages would show them, loaded
// without a window and without touching the settings file or the history.
#pragma once

#include <vector>

#include "base/endpoints.h"
#include "base/types.h"

namespace velmora {

struct AccountRecord {
    Text domain;     // the domain's name, as its page's caption
    Text domain_id;  // digits
    Text record_id;  // digits
    Text host;       // "@" for the domain itself
    Text type;
    Text value;
    int page = 0;            // 1 to 6
    int row = 0;             // the record's row on that page
    bool watched = false;    // remembered in the settings file
    bool watchable = false;  // A or AAAA, on a row that can be ticked
};

// The record's full name: the domain for "@", else host.domain.
Text full_name(const AccountRecord& record);

// Whether `name` names the record, letters in any case and one trailing dot allowed.
bool names_record(const Text& name, const AccountRecord& record);

struct AccountListing {
    // Whether the provider accepted the credential (page 1's records loaded).
    bool logged_in = false;
    // What a window would have shown in boxes (a refusal), in order.
    TextList messages;
    std::vector<AccountRecord> records;  // page by page, row by row
};

// Logs in with `id` and `token` quietly and lists the pages' records; `settings_file`
// gives which are watched.
AccountListing list_account(const Endpoints& endpoints, const Text& id, const Text& token,
                            const Text& settings_file);

}  // namespace velmora
