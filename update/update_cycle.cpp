#include "update/update_cycle.h"

#include <algorithm>
#include <climits>

#include "api/api_post.h"
#include "api/credential.h"
#include "api/record_list_reply.h"
#include "api/request_bodies.h"
#include "base/control_names.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "update/address_discovery.h"
#include "update/ipv4_address.h"
#include "update/record_modification.h"
#include "update/run_log.h"

namespace velmora {

namespace {

constexpr int kDomainIdColumn = 0;
constexpr int kValueColumn = 3;

void check_slot(const ApiContext& context, const PageWatchList& watch, int page, int slot) {
    Controls& controls = context.controls;
    const Text shown = controls.list_cell_text(control::record_list(page), slot, kValueColumn);
    const Text address = discover_public_address(context.endpoints);
    if (!is_plain_ipv4(address)) {
        return;
    }
    if (shown == address) {
        append_log_line(controls, network_time_text(context.endpoints),
                        gbk("公网IP无变化，无需更新，120秒后重新检测"));
        return;
    }
    const Text credential = credential_text(controls);
    const Text new_value = discover_public_address(context.endpoints);
    if (!is_plain_ipv4(new_value)) {
        return;
    }
    const WatchSlot record = watch.slot(page, slot);
    modify_record(context, credential, record.domainId, record.recordId, record.subDomain,
                  new_value, record.recordType);
}

}  // namespace

void refresh_record_values(const ApiContext& context) {
    Controls& controls = context.controls;
    for (int page = 1; page <= control::kPageCount; ++page) {
        if (controls.tab_caption(control::record_tabs(), page).empty()) {
            continue;
        }
        const Text& list = control::record_list(page);
        // A page whose load has not written its domain id yet (the first pass can run
        // while the login still loads the later pages) has nothing to ask for: a
        // request without a domain id can only be refused.
        const Text domain_id = controls.list_cell_text(list, 0, kDomainIdColumn);
        if (domain_id.empty()) {
            continue;
        }
        const RecordListReply fields = read_record_list_reply(
            api_post(context.endpoints, "Record.List",
                     record_list_body(credential_text(controls), domain_id)));
        // Values that do not pair up with the record ids would land in other records'
        // rows, and a watched row would then be compared with another record's value.
        if (!values_line_up(fields)) {
            continue;
        }
        for (std::size_t i = 0; i < fields.values.size(); ++i) {
            controls.set_list_cell_text(list, static_cast<int>(i) + 1, kValueColumn,
                                        fields.values[i]);
        }
    }
}

void run_update_pass(const ApiContext& context, const PageWatchList& watch) {
    refresh_record_values(context);
    for (int page = 1; page <= control::kPageCount; ++page) {
        for (int slot = 1; slot <= PageWatchList::kSlotCount; ++slot) {
            if (shutdown_requested()) {
                return;
            }
            if (watch.flag(page, slot) == 1) {
                check_slot(context, watch, page, slot);
            }
        }
    }
}

void run_update_cycle(const ApiContext& context, const PageWatchList& watch) {
    const auto period = std::clamp<long long>(context.endpoints.update_period.count(), 0, INT_MAX);
    constexpr int kMilliseconds = 0;
    while (!shutdown_requested()) {
        run_update_pass(context, watch);
        if (!delay(static_cast<int>(period), kMilliseconds)) {
            return;
        }
    }
}

}  // namespace velmora
