#include "update/update_cycle.h"

#include <algorithm>
#include <array>

#include "api/api_post.h"
#include "api/credential.h"
#include "api/record_list_reply.h"
#include "api/record_types.h"
#include "api/request_bodies.h"
#include "base/controls/control_names.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/system/process_memory.h"
#include "http/connection_pool.h"
#include "update/address_discovery.h"
#include "update/ipv6_address.h"
#include "update/ipv6_discovery.h"
#include "update/record_modification.h"

namespace velmora {

namespace {

bool page_watches_type(const PageWatchList& watch, int page, const Text& record_type) {
    for (int slot = 1; slot <= PageWatchList::kSlotCount; ++slot) {
        if (watch.flag(page, slot) == 1 &&
            watch.text(page, slot, WatchField::recordType) == record_type) {
            return true;
        }
    }
    return false;
}

Text in_brackets(const Text& text) {
    return gbk("（") + text + gbk("）");
}

// Whether the record already holds the address: the same text for IPv4, the same
// address however written for IPv6.
bool holds(const Text& record_type, const Text& shown, const Text& address) {
    return follows_the_ipv6_address(record_type) ? same_ipv6_address(shown, address)
                                                 : shown == address;
}

Text source_name(Ipv6Source source) {
    return source == Ipv6Source::endpoint ? gbk("地址服务") : gbk("本机网卡");
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
      failures_(clock),
      backoff_(clock) {}

bool UpdateCycle::held_back_by(const Text& action, const Text& credential, const ApiReply& reply) {
    const Text code = reply_code(reply.text);
    const bool news = backoff_.answered(action, credential, code);
    if (backoff_.take_ended()) {
        log_.write(gbk("服务商已恢复受理请求，恢复正常检测"));
    }
    const Refusal refusal = refusal_of(code);
    if (refusal == Refusal::none) {
        return false;
    }
    if (news && !shutdown_requested()) {
        const Text reason = failure_reason(reply);
        const Text line = refusal == Refusal::credential
                              ? gbk("服务商不接受登入凭据（") + reason +
                                    gbk("），请重新登入；在此之前每小时只再试一次")
                              : gbk("服务商暂不受理请求（") + reason +
                                    gbk("），10分钟后再试，仍不受理则隔30分钟、60分钟再试");
        log_.write(line);
        if (observer_ != nullptr) {
            observer_->failure_began(line);
        }
    }
    return true;
}

bool UpdateCycle::read_values(int page, const Text& domain_id, const Text& record_type,
                              std::map<Text, Text>& values) {
    Controls& controls = context_.controls;
    const Text credential = credential_text(controls);
    if (!backoff_.may_ask(credential)) {
        return false;
    }
    const ApiReply reply = api_call(context_.endpoints, "Record.List",
                                    record_list_body(credential, domain_id, record_type));
    if (held_back_by("Record.List", credential, reply)) {
        return false;
    }
    const RecordListReply fields = read_record_list_reply(reply.text);
    Text reason = failure_reason(reply);
    if (reason.empty() && !values_line_up(fields)) {
        reason = gbk("回复中的记录与记录值不成对");
    }
    // A list nobody watches is read for the eye only (and a provider may refuse a list
    // of a type the domain has none of): its failures are not news.
    const Text key = "list:" + record_type + ":" + domain_id;
    const Text subject = in_brackets(controls.tab_caption(control::record_tabs(), page) +
                                     gbk("的") + record_type + gbk("记录"));
    if (!reason.empty()) {
        if (page_watches_type(watch_, page, record_type)) {
            report_failure(key, gbk("读取记录列表失败") + subject + gbk("：") + reason);
        }
        return false;
    }
    report_recovery(key, gbk("记录列表已恢复读取") + subject);
    for (std::size_t i = 0; i < fields.record_ids.size(); ++i) {
        values.emplace(fields.record_ids[i], fields.values[i]);
    }
    return true;
}

UpdateCycle::PageValues UpdateCycle::refresh_page(int page) {
    Controls& controls = context_.controls;
    const Text& list = control::record_list(page);
    // A page whose load has not written its domain id yet (the first pass can run while
    // the login still loads the later pages) has nothing to ask for: a request without
    // a domain id can only be refused.
    const Text domain_id = controls.list_cell_text(list, 0, control::column::kRecordId);
    if (domain_id.empty()) {
        return {};
    }
    PageValues page_values;
    page_values.listed_a = read_values(page, domain_id, "A", page_values.values);
    page_values.listed_aaaa = read_values(page, domain_id, "AAAA", page_values.values);
    // Each value goes to the row of its record, wherever the reply lists it: records
    // added or deleted at the provider since the login move the others in the reply.
    const int rows = controls.list_row_count(list);
    for (int row = 1; row < rows; ++row) {
        const auto value = page_values.values.find(controls.list_cell_text(list, row, 0));
        if (value != page_values.values.end()) {
            controls.set_list_cell_text(list, row, control::column::kValue, value->second);
        }
    }
    return page_values;
}

Text UpdateCycle::usable_address(const Text& record_type, PassOutcome& outcome) {
    return follows_the_ipv6_address(record_type) ? usable_ipv6_address(outcome)
                                                 : usable_ipv4_address(outcome);
}

Text UpdateCycle::usable_ipv4_address(PassOutcome& outcome) {
    const Ipv4Sources::Found sources = ipv4_sources_.find(context_.endpoints);
    for (const Text& note : sources.notes) {
        log_.write(note);
    }
    const PublicAddress& found = sources.address;
    if (found.address.empty()) {
        outcome.address_missing = true;
        report_failure("address", gbk("未取得可用的公网IP：") + found.failure);
        return {};
    }
    report_recovery("address", gbk("已重新取得可用的公网IP：") + found.address);
    return found.address;
}

Text UpdateCycle::usable_ipv6_address(PassOutcome& outcome) {
    const PublicIpv6 found = discover_public_ipv6(context_.endpoints);
    if (found.source == Ipv6Source::none) {
        outcome.address_missing = true;
        // A machine without IPv6 may stay so for good: said once, not every hour.
        report_failure(
            "address6",
            gbk("未取得可用的公网IPv6地址（地址服务和本机网卡都没有），AAAA记录本次不更新"), false);
        return {};
    }
    report_recovery("address6", gbk("已取得公网IPv6地址：") + found.address +
                                    in_brackets(gbk("来自") + source_name(found.source)));
    return found.address;
}

void UpdateCycle::check_slot(int page, int slot, const PageValues& page_values,
                             PassOutcome& outcome) {
    Controls& controls = context_.controls;
    const WatchSlot record = watch_.slot(page, slot);
    // Only address records follow an address, whatever a reply listed.
    if (!follows_an_address(record.recordType)) {
        return;
    }
    ++outcome.watched;
    const Text record_key = record.domainId + ":" + record.recordId;
    const Text subject = in_brackets(record.subDomain);

    Text shown;
    const bool listed = follows_the_ipv6_address(record.recordType) ? page_values.listed_aaaa
                                                                    : page_values.listed_a;
    if (listed) {
        const auto value = page_values.values.find(record.recordId);
        if (value == page_values.values.end()) {
            report_failure("missing:" + record_key, gbk("记录已不存在，不再检测") + subject);
            return;
        }
        report_recovery("missing:" + record_key, gbk("记录已重新出现") + subject);
        shown = value->second;
    } else {
        // The list could not be read this pass: the row still shows the last value read.
        shown = controls.list_cell_text(control::record_list(page), slot, control::column::kValue);
    }

    const Text address = usable_address(record.recordType, outcome);
    if (address.empty()) {
        return;
    }
    const Text modify_key = "modify:" + record_key;
    if (holds(record.recordType, shown, address)) {
        ++outcome.settled;
        report_recovery(modify_key, gbk("记录已恢复正常") + subject);
        const Text time = log_.write(gbk("公网IP无变化，无需更新，120秒后重新检测"));
        if (observer_ != nullptr) {
            observer_->checked(address, time);
        }
        return;
    }
    const Text credential = credential_text(controls);
    const Text new_value = usable_address(record.recordType, outcome);
    if (new_value.empty()) {
        return;
    }
    if (!backoff_.may_ask(credential)) {
        // Said once per address: the log still tells what the address is meanwhile.
        const Text line =
            gbk("公网IP为") + new_value + gbk("，记录") + subject + gbk("待服务商恢复受理后更新");
        if (failures_.should_log("held:" + record_key, line, false)) {
            log_.write(line);
        }
        return;
    }
    failures_.recovered("held:" + record_key);
    Text changed_at;
    const ApiReply reply =
        modify_record(context_, log_, credential, record.domainId, record.recordId,
                      record.subDomain, new_value, record.recordType, &changed_at);
    if (held_back_by("Record.Modify", credential, reply)) {
        return;
    }
    const Text reason = failure_reason(reply);
    if (reason.empty()) {
        ++outcome.settled;
        show_written_value(page, slot, record.recordId, new_value);
        report_recovery(modify_key, gbk("记录已恢复正常") + subject);
        if (observer_ != nullptr) {
            observer_->record_changed(record.subDomain, new_value, changed_at);
        }
    } else {
        report_failure(modify_key, gbk("更新记录失败") + subject + gbk("：") + reason);
    }
}

void UpdateCycle::show_written_value(int page, int slot, const Text& record_id, const Text& value) {
    // The row is what the next pass compares with when the list cannot be read: showing
    // the value the provider accepted keeps an outage of the list from rewriting the
    // record every pass.
    Controls& controls = context_.controls;
    const Text& list = control::record_list(page);
    if (controls.list_cell_text(list, slot, control::column::kRecordId) == record_id) {
        controls.set_list_cell_text(list, slot, control::column::kValue, value);
    }
}

void UpdateCycle::report_failure(const Text& key, const Text& line, bool remind) {
    // Requests cut short by closing the program are not failures worth a line.
    if (shutdown_requested()) {
        return;
    }
    const bool began = !failures_.failing(key);
    if (failures_.should_log(key, line, remind)) {
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
    // The pass's requests to one host share a connection, closed when the pass ends.
    const ConnectionPool connections;
    Controls& controls = context_.controls;
    PassOutcome outcome;
    std::array<PageValues, control::kPageCount> pages;
    for (int page = 1; page <= control::kPageCount; ++page) {
        if (!controls.tab_caption(control::record_tabs(), page).empty()) {
            pages[page - 1] = refresh_page(page);
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

void UpdateCycle::run(const std::function<void()>& before_each_pass) {
    const auto period = context_.endpoints.update_period;
    int passes_without_address = 0;
    while (!shutdown_requested()) {
        if (before_each_pass) {
            before_each_pass();
        }
        schedule_.pass_started();
        const PassOutcome outcome = run_pass();
        return_free_memory();
        passes_without_address = outcome.address_missing ? passes_without_address + 1 : 0;
        if (!schedule_.wait(pause_after(passes_without_address, period))) {
            return;
        }
    }
}

}  // namespace velmora
