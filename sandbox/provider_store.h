// The provider's accounts, domains and records, and the replies forced on accounts.
// Every member is safe to call from several threads at once.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sandbox/seed.h"

namespace velmora::sandbox {

// The fields of a Record.Modify request, as sent (after form decoding).
struct RecordChange {
    std::string domain_id;
    std::string record_id;
    std::string sub_domain;
    std::string value;
    std::string record_type;
    std::optional<std::string> record_line_id;  // absent: keep the record's line
    std::optional<std::string> record_line;
    std::optional<std::string> ttl;  // absent: keep the record's ttl
};

// A code the account answers instead of the real outcome. `action` empty: every action.
// `with_data`: the normal reply is still built and only its status is replaced.
struct ForcedReply {
    std::string account_id{};
    std::string action{};
    std::string code{};
    bool with_data = false;
};

class ProviderStore {
  public:
    explicit ProviderStore(SeedData seed);  // the seed must have been completed

    // Checks login_token = ID + "," + token. Gives the empty code and sets
    // `account_id` when accepted, else the refusal code.
    std::string check_login(std::string_view login_token, std::string& account_id) const;

    // Copies of an account's domains (records included), in seed order.
    std::vector<Domain> domains(const std::string& account_id) const;
    std::optional<Domain> domain(const std::string& account_id, std::uint64_t domain_id) const;

    // Validates and applies a change; gives the reply code and, on success, the record
    // as stored afterwards.
    std::string modify_record(const std::string& account_id, const RecordChange& change,
                              Record& updated);

    // For tests and the control interface: any account's records, and a direct value
    // change that stands for an edit made at the provider outside the program.
    std::optional<std::vector<Record>> records(std::uint64_t domain_id) const;
    bool set_record_value(std::uint64_t record_id, const std::string& value);
    // A record added (at `position` among the domain's records, clamped to the end) or
    // deleted at the provider outside the program. The record's id must be new.
    bool insert_record(std::uint64_t domain_id, std::size_t position, Record record);
    bool delete_record(std::uint64_t record_id);

    // An empty code removes the entry for that account and action.
    void set_forced_reply(const ForcedReply& forced);
    void clear_forced_replies();
    // The entry for this action, else the one for every action.
    std::optional<ForcedReply> forced_reply(const std::string& account_id,
                                            std::string_view action) const;
    std::vector<ForcedReply> forced_replies() const;

    // Whether Record.List lists every type whatever record_type asks for, as a careless
    // provider might.
    void set_record_type_ignored(bool ignored);
    bool record_type_ignored() const;

    // The addresses the HTTP-DNS endpoint gives for a host name (case ignored).
    std::vector<std::string> resolved_addresses(std::string_view host_name) const;

  private:
    const Account* find_account(const std::string& account_id) const;

    mutable std::mutex mutex_;
    SeedData data_;
    std::vector<ForcedReply> forced_;
    bool record_type_ignored_ = false;
};

}  // namespace velmora::sandbox
