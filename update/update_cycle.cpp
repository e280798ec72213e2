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
#include "update/record_modification.h"

namespace velmora {

namespace {

constexpr int kRecordIdColumn = 0;
constexpr int kValueColumn = 3;

bool page_has_watched_slot(const PageWatchList& watch, int page) {
    for (int slot = 1; slot <= PageWatchList::kSlotCount; ++slot) {
        if (watch.flag(page, slot) == 1) {
            return true;
        }
    }
    return false;
}

Text in_brackets(const Text& text) {
    return gbk("（") + text + gbk("）");
}

}  // namespace

std::chrono::milliseconds pause_after(int passes_without_address,
                                      std::chrono::milliseconds period) {
    using namespace std::chrono_literals;
    if (passes_without_address <= 0) {
        return period;
    }
    std::chrono::milliseconds pause = 15s;
    for (int n = 1; n < passes_without_address && pause < period; ++n) {
        pause *= 2;
    }
    return std::min(pause, period);
}

UpdateCycle::UpdateCycle(const ApiContext& context, const PageWatchList& watch, RunLog& log,
                         UpdateObserver* observer, FailureMemory::Clock clock)
    : context_(context),
      watch_(watch),
      log_(log),
      observer_(observer),
      failures_(std::move(clock)) {}

UpdateCycle::PageValues UpdateCycle::refresh_page(int page, bool watched) {
    Controls& controls = context_.controls;
    const Text& list = control::record_list(page);
    // A page whose load has not written its domain id yet (the first pass can run while
    // the login still loads the later pages) has nothing to ask for: a request without
    // a domain id can only be refused.
    const Text domain_id = controls.list_cell_text(list, 0, kRecordIdColumn);
    if (domain_id.empty()) {
        return {};
    }
    const ApiReply reply = api_call(context_.endpoints, "Record.List",
                                    record_list_body(credential_text(controls), domain_id));
    const RecordListReply fields = read_record_list_reply(reply.text);
    Text reason = failure_reason(reply);
    if (reason.empty() && !values_line_up(fields)) {
        reason = gbk("回复中的记录与记录值不成对");
    }
    // A page nobody watches is refreshed for the eye only; its failures are not news.
    const Text key = "list:" + domain_id;
    const Text subject = in_brackets(controls.tab_caption(control::record_tabs(), page));
    if (!reason.empty()) {
        if (watched) {
            report_failure(key, gbk("读取记录列表失败") + subject + gbk("：") + reason);
        }
        return {};
    }
    report_recovery(key, gbk("记录列表已恢复读取") + subject);

    PageValues page_values{.listed = true, .values = {}};
    for (std::size_t i = 0; i < fields.record_ids.size(); ++i) {
        page_values.values.emplace(fields.record_ids[i], fields.values[i]);
    }
    // Each value goes to the row of its record, wherever the reply lists it: records
    // added or deleted at the provider since the login move the others in the reply.
    const int rows = controls.list_row_count(list);
    for (int row = 1; row < rows; ++row) {
        const auto value = page_values.values.find(controls.list_cell_text(list, row, 0));
        if (value != page_values.values.end()) {
            controls.set_list_cell_text(list, row, kValueColumn, value->second);
        }
    }
    return page_values;
}

Text UpdateCycle::usable_address(PassOutcome& outcome) {
    const PublicAddress found = discover_usable_address(context_.endpoints);
    if (found.address.empty()) {
        outcome.address_missing = true;
        report_failure("address", gbk("未取得可用的公网IP：") + found.failure);
        return {};
    }
    report_recovery("address", gbk("已重新取得可用的公网IP：") + found.address);
    return found.address;
}

void UpdateCycle::check_slot(int page, int slot, const PageValues& page_values,
                             PassOutcome& outcome) {
    Controls& controls = context_.controls;
    ++outcome.watched;
    const WatchSlot record = watch_.slot(page, slot);
    const Text record_key = record.domainId + ":" + record.recordId;
    const Text subject = in_brackets(record.subDomain);

    Text shown;
    if (page_values.listed) {
        const auto value = page_values.values.find(record.recordId);
        if (value == page_values.values.end()) {
            report_failure("missing:" + record_key, gbk("记录已不存在，不再检测") + subject);
            return;
        }
        report_recovery("missing:" + record_key, gbk("记录已重新出现") + subject);
        shown = value->second;
    } else {
        // The list could not be read this pass: the row still shows the last value read.
        shown = controls.list_cell_text(control::record_list(page), slot, kValueColumn);
    }

    const Text address = usable_address(outcome);
    if (address.empty()) {
        return;
    }
    const Text modify_key = "modify:" + record_key;
    if (shown == address) {
        ++outcome.settled;
        report_recovery(modify_key, gbk("记录已恢复正常") + subject);
        const Text time = log_.write(gbk("公网IP无变化，无需更新，120秒后重新检测"));
        if (observer_ != nullptr) {
            observer_->checked(address, time);
        }
        return;
    }
    const Text credential = credential_text(controls);
    const Text new_value = usable_address(outcome);
    if (new_value.empty()) {
        return;
    }
    Text changed_at;
    const ApiReply reply =
        modify_record(context_, log_, credential, record.domainId, record.recordId,
                      record.subDomain, new_value, record.recordType, &changed_at);
    const Text reason = failure_reason(reply);
    if (reason.empty()) {
        ++outcome.settled;
        report_recovery(modify_key, gbk("记录已恢复正常") + subject);
        if (observer_ != nullptr) {
            observer_->record_changed(record.subDomain, new_value, changed_at);
        }
    } else {
        report_failure(modify_key, gbk("更新记录失败") + subject + gbk("：") + reason);
    }
}

void UpdateCycle::report_failure(const Text& key, const Text& line) {
    // Requests cut short by closing the program are not failures worth a line.
    if (shutdown_requested()) {
        return;
    }
    const bool began = !failures_.failing(key);
    if (failures_.should_log(key, line)) {
        log_.write(line);
        if (began && observer_ != nullptr) {
            observer_->failure_began(line);
        }
    }
}

void UpdateCycle::report_recovery(const Text& key, const Text& line) {
    if (failures_.recovered(key)) {
        log_.write(line);
    }
}

PassOutcome UpdateCycle::run_pass() {
    Controls& controls = context_.controls;
    PassOutcome outcome;
    std::array<PageValues, control::kPageCount> pages;
    for (int page = 1; page <= control::kPageCount; ++page) {
        if (!controls.tab_caption(control::record_tabs(), page).empty()) {
            pages[page - 1] = refresh_page(page, page_has_watched_slot(watch_, page));
        }
    }
    for (int page = 1; page <= control::kPageCount; ++page) {
        for (int slot = 1; slot <= PageWatchList::kSlotCount; ++slot) {
            if (shutdown_requested()) {
                return outcome;
            }
            if (watch_.flag(page, slot) == 1) {
                check_slot(page, slot, pages[page - 1], outcome);
            }
        }
    }
    return outcome;
}

void UpdateCycle::run() {
    const auto period = context_.endpoints.update_period;
    constexpr int kMilliseconds = 0;
    int passes_without_address = 0;
    while (!shutdown_requested()) {
        const PassOutcome outcome = run_pass();
        passes_without_address = outcome.address_missing ? passes_without_address + 1 : 0;
        const auto pause = std::clamp<long long>(
            pause_after(passes_without_address, period).count(), 0, INT_MAX);
        if (!delay(static_cast<int>(pause), kMilliseconds)) {
            return;
        }
    }
}

}  // namespace velmora
