#include "app/shell/account_records.h"

#include "api/domain_lookup.h"
#include "api/record_listing.h"
#include "api/record_types.h"
#include "app/session/page_events.h"
#include "app/settings/remembered_watches.h"
#include "base/controls/control_names.h"
#include "base/controls/memory_controls.h"
#include "update/page_watch_list.h"

namespace velmora {

namespace {

Text lower_ascii(Text text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

void read_page(MemoryControls& controls, int page, const Text& settings_file,
               std::vector<AccountRecord>& records) {
    const Text& list = control::record_list(page);
    const Text domain_id = controls.list_cell_text(list, 0, 0);
    if (domain_id.empty()) {
        return;
    }
    const std::set<Text> remembered = remembered_records(settings_file, domain_id);
    const int rows = controls.list_row_count(list);
    for (int row = 1; row < rows; ++row) {
        AccountRecord record;
        record.domain = controls.tab_caption(control::record_tabs(), page);
        record.domain_id = domain_id;
        record.record_id = controls.list_cell_text(list, row, 0);
        record.host = controls.list_cell_text(list, row, 1);
        record.type = controls.list_cell_text(list, row, 2);
        record.value = controls.list_cell_text(list, row, 3);
        record.page = page;
        record.row = row;
        record.watched = remembered.contains(record.record_id);
        record.watchable = follows_an_address(record.type) && row <= PageWatchList::kSlotCount;
        records.push_back(std::move(record));
    }
}

}  // namespace

Text full_name(const AccountRecord& record) {
    return record.host == "@" ? record.domain : record.host + "." + record.domain;
}

bool names_record(const Text& name, const AccountRecord& record) {
    Text wanted = lower_ascii(name);
    if (wanted.ends_with('.')) {
        wanted.pop_back();
    }
    return !wanted.empty() && wanted == lower_ascii(full_name(record));
}

AccountListing list_account(const Endpoints& endpoints, const Text& id, const Text& token,
                            const Text& settings_file) {
    MemoryControls controls;
    controls.set_edit_text(control::id_edit(), id);
    controls.set_edit_text(control::token_edit(), token);
    const ApiContext context{controls, endpoints};
    AccountListing listing;
    const Text lookup_refusal = lookup_domains(context).refusal;
    for (int page = 1; page <= control::kPageCount; ++page) {
        if (controls.tab_caption(control::record_tabs(), page).empty()) {
            continue;
        }
        const bool page_logged_in = load_record_page(context, page, false);
        listing.logged_in = listing.logged_in || page_logged_in;
        if (page == 1 && !page_logged_in) {
            break;  // refused: the other pages would only repeat it
        }
        read_page(controls, page, settings_file, listing.records);
    }
    for (const MemoryControls::ShownMessageBox& box : controls.message_boxes()) {
        listing.messages.push_back(box.message);
    }
    if (!listing.logged_in && listing.messages.empty() && !lookup_refusal.empty()) {
        listing.messages.push_back(lookup_refusal);
    }
    return listing;
}

}  // namespace velmora
