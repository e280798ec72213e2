#include "sandbox/provider_api.h"

#include <algorithm>
#include <cctype>

#include "sandbox/clock_text.h"
#include "sandbox/json_writer.h"
#include "sandbox/record_rules.h"
#include "sandbox/reply_codes.h"

namespace velmora::sandbox {
namespace {

// The reply of one action before its status is written: the code and the data
// members that follow the status object (empty for an error).
struct Outcome {
    std::string code;
    std::string data;
};

Outcome refusal(std::string_view code) {
    return {std::string(code), {}};
}

std::string status_object(const std::string& code) {
    return JsonObject()
        .text("code", code)
        .text("message", codes::message_for(code))
        .text("created_at", local_timestamp())
        .str();
}

std::string reply_text(const Outcome& outcome) {
    std::string reply = "{\"status\":" + status_object(outcome.code);
    if (!outcome.data.empty()) {
        reply += "," + outcome.data;
    }
    return reply + "}";
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

std::optional<std::string> optional_value(const FormFields& form, const std::string& key) {
    const auto it = form.find(key);
    return it == form.end() ? std::nullopt : std::optional<std::string>(it->second);
}

Outcome list_domains(const ProviderStore& store, const std::string& account_id) {
    const std::vector<Domain> domains = store.domains(account_id);
    const auto total = static_cast<std::int64_t>(domains.size());
    std::vector<std::string> items;
    for (const Domain& domain : domains) {
        const std::string updated =
            domain.records.empty() ? local_timestamp() : domain.records.front().updated_on;
        items.push_back(JsonObject()
                            .number("id", static_cast<std::int64_t>(domain.id))
                            .text("status", "enable")
                            .text("grade", "free")
                            .text("group_id", "1")
                            .text("is_mark", "no")
                            .text("ttl", "600")
                            .text("remark", "")
                            .text("updated_on", updated)
                            .text("punycode", domain.punycode)
                            .text("name", domain.name)
                            .text("owner", account_id)
                            .text("records", std::to_string(domain.records.size()))
                            .str());
    }
    const std::string info = JsonObject()
                                 .number("domain_total", total)
                                 .number("all_total", total)
                                 .number("mine_total", total)
                                 .number("share_total", 0)
                                 .number("pause_total", 0)
                                 .number("lock_total", 0)
                                 .str();
    return {std::string(codes::success),
            JsonObject().raw("info", info).raw("domains", json_array(items)).members()};
}

}  // namespace

std::string record_json(const Record& record) {
    return JsonObject()
        .text("id", std::to_string(record.id))
        .text("name", record.name)
        .text("type", record.type)
        .text("value", record.value)
        .text("ttl", std::to_string(record.ttl))
        .text("line", record.line)
        .text("line_id", record.line_id)
        .text("enabled", "1")
        .text("status", "enable")
        .text("updated_on", record.updated_on)
        .text("remark", "")
        .str();
}

namespace {

Outcome list_records(const ProviderStore& store, const std::string& account_id,
                     const FormFields& form) {
    const std::optional<std::uint64_t> domain_id = parse_id(form_value(form, "domain_id"));
    const std::optional<Domain> domain =
        domain_id ? store.domain(account_id, *domain_id) : std::nullopt;
    if (!domain) {
        return refusal(codes::domain_invalid);
    }
    // An empty sub_domain or record_type selects every name or type.
    const std::string sub_domain = form_value(form, "sub_domain");
    const std::string record_type =
        store.record_type_ignored() ? std::string() : form_value(form, "record_type");
    std::vector<const Record*> selected;
    for (const Record& record : domain->records) {
        if ((sub_domain.empty() || same_ignoring_case(record.name, sub_domain)) &&
            (record_type.empty() || same_ignoring_case(record.type, record_type))) {
            selected.push_back(&record);
        }
    }
    const std::uint64_t offset = parse_id(form_value(form, "offset")).value_or(0);
    const std::uint64_t length = parse_id(form_value(form, "length")).value_or(selected.size());
    std::vector<std::string> items;
    for (std::uint64_t i = offset; i < selected.size() && i - offset < length; ++i) {
        items.push_back(record_json(*selected[i]));
    }
    const std::string domain_object = JsonObject()
                                          .number("id", static_cast<std::int64_t>(domain->id))
                                          .text("name", domain->punycode)
                                          .text("punycode", domain->punycode)
                                          .text("grade", "free")
                                          .text("status", "enable")
                                          .str();
    const std::string info = JsonObject()
                                 .text("sub_domains", std::to_string(domain->records.size()))
                                 .text("record_total", std::to_string(selected.size()))
                                 .text("records_num", std::to_string(items.size()))
                                 .str();
    return {std::string(codes::success), JsonObject()
                                             .raw("domain", domain_object)
                                             .raw("info", info)
                                             .raw("records", json_array(items))
                                             .members()};
}

Outcome modify_record(ProviderStore& store, const std::string& account_id, const FormFields& form) {
    const RecordChange change{
        .domain_id = form_value(form, "domain_id"),
        .record_id = form_value(form, "record_id"),
        .sub_domain = form_value(form, "sub_domain"),
        .value = form_value(form, "value"),
        .record_type = form_value(form, "record_type"),
        .record_line_id = optional_value(form, "record_line_id"),
        .record_line = optional_value(form, "record_line"),
        .ttl = optional_value(form, "ttl"),
    };
    Record updated;
    const std::string code = store.modify_record(account_id, change, updated);
    if (code != codes::success) {
        return refusal(code);
    }
    const std::string record = JsonObject()
                                   .number("id", static_cast<std::int64_t>(updated.id))
                                   .text("name", updated.name)
                                   .text("value", updated.value)
                                   .text("status", "enable")
                                   .str();
    return {code, JsonObject().raw("record", record).members()};
}

}  // namespace

std::string answer_api_action(ProviderStore& store, std::string_view action,
                              const FormFields& form) {
    std::string account_id;
    const std::string refused = store.check_login(form_value(form, "login_token"), account_id);
    if (!refused.empty()) {
        return reply_text(refusal(refused));
    }
    const std::optional<ForcedReply> forced = store.forced_reply(account_id, action);
    if (forced && !forced->with_data) {
        return reply_text(refusal(forced->code));
    }
    Outcome outcome;
    if (action == action_domain_list) {
        outcome = list_domains(store, account_id);
    } else if (action == action_record_list) {
        outcome = list_records(store, account_id, form);
    } else {
        outcome = modify_record(store, account_id, form);
    }
    if (forced) {
        outcome.code = forced->code;
    }
    return reply_text(outcome);
}

}  // namespace velmora::sandbox
