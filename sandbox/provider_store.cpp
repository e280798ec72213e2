#include "sandbox/provider_store.h"

#include <algorithm>
#include <cctype>

#include "sandbox/clock_text.h"
#include "sandbox/record_rules.h"
#include "sandbox/reply_codes.h"

namespace velmora::sandbox {
namespace {

bool same_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The domain `domain_id` of account `account_id`, for a const or a mutable seed.
template <class Data>
auto find_domain(Data& data, const std::string& account_id, std::uint64_t domain_id)
    -> decltype(&data.accounts.front().domains.front()) {
    for (auto& account : data.accounts) {
        if (account.id != account_id) {
            continue;
        }
        for (auto& domain : account.domains) {
            if (domain.id == domain_id) {
                return &domain;
            }
        }
    }
    return nullptr;
}

}  // namespace

ProviderStore::ProviderStore(SeedData seed) : data_(std::move(seed)) {
    const std::string started = local_timestamp();
    for (Account& account : data_.accounts) {
        for (Domain& domain : account.domains) {
            for (Record& record : domain.records) {
                if (record.updated_on.empty()) {
                    record.updated_on = started;
                }
            }
        }
    }
}

const Account* ProviderStore::find_account(const std::string& account_id) const {
    for (const Account& account : data_.accounts) {
        if (account.id == account_id) {
            return &account;
        }
    }
    return nullptr;
}

std::string ProviderStore::check_login(std::string_view login_token,
                                       std::string& account_id) const {
    const std::size_t comma = login_token.find(',');
    if (comma == std::string_view::npos) {
        return std::string(codes::token_id_invalid);
    }
    const std::string id(login_token.substr(0, comma));
    std::lock_guard lock(mutex_);
    const Account* account = find_account(id);
    if (account == nullptr) {
        return std::string(codes::token_id_invalid);
    }
    if (login_token.substr(comma + 1) != account->token) {
        return std::string(codes::login_failed);
    }
    account_id = id;
    return {};
}

std::vector<Domain> ProviderStore::domains(const std::string& account_id) const {
    std::lock_guard lock(mutex_);
    const Account* account = find_account(account_id);
    return account == nullptr ? std::vector<Domain>{} : account->domains;
}

std::optional<Domain> ProviderStore::domain(const std::string& account_id,
                                            std::uint64_t domain_id) const {
    std::lock_guard lock(mutex_);
    if (const Domain* found = find_domain(data_, account_id, domain_id)) {
        return *found;
    }
    return std::nullopt;
}

std::string ProviderStore::modify_record(const std::string& account_id, const RecordChange& change,
                                         Record& updated) {
    const std::optional<std::uint64_t> domain_id = parse_id(change.domain_id);
    const std::optional<std::uint64_t> record_id = parse_id(change.record_id);
    std::lock_guard lock(mutex_);
    Domain* domain = domain_id ? find_domain(data_, account_id, *domain_id) : nullptr;
    if (domain == nullptr) {
        return std::string(codes::domain_invalid);
    }
    const auto record =
        std::find_if(domain->records.begin(), domain->records.end(),
                     [&](const Record& r) { return record_id && r.id == *record_id; });
    if (record == domain->records.end()) {
        return std::string(codes::record_invalid);
    }
    if (!is_host_record_name(change.sub_domain)) {
        return std::string(codes::sub_domain_invalid);
    }
    if (!is_supported_type(change.record_type)) {
        return std::string(codes::type_invalid);
    }
    if ((change.record_line_id && *change.record_line_id != "0") ||
        (change.record_line && !is_default_line(*change.record_line))) {
        return std::string(codes::line_invalid);
    }
    if (!value_fits_type(change.record_type, change.value)) {
        return std::string(codes::value_invalid);
    }
    std::optional<std::uint64_t> ttl;
    if (change.ttl) {
        ttl = parse_id(*change.ttl);
        if (!ttl || *ttl < 1 || *ttl > 604800) {
            return std::string(codes::value_invalid);
        }
    }
    record->name = change.sub_domain;
    record->type = change.record_type;
    record->value = change.value;
    if (ttl) {
        record->ttl = static_cast<int>(*ttl);
    }
    record->updated_on = local_timestamp();
    updated = *record;
    return std::string(codes::success);
}

std::optional<std::vector<Record>> ProviderStore::records(std::uint64_t domain_id) const {
    std::lock_guard lock(mutex_);
    for (const Account& account : data_.accounts) {
        for (const Domain& domain : account.domains) {
            if (domain.id == domain_id) {
                return domain.records;
            }
        }
    }
    return std::nullopt;
}

bool ProviderStore::set_record_value(std::uint64_t record_id, const std::string& value) {
    std::lock_guard lock(mutex_);
    for (Account& account : data_.accounts) {
        for (Domain& domain : account.domains) {
            for (Record& record : domain.records) {
                if (record.id == record_id) {
                    record.value = value;
                    record.updated_on = local_timestamp();
                    return true;
                }
            }
        }
    }
    return false;
}

bool ProviderStore::insert_record(std::uint64_t domain_id, std::size_t position, Record record) {
    std::lock_guard lock(mutex_);
    Domain* target = nullptr;
    for (Account& account : data_.accounts) {
        for (Domain& domain : account.domains) {
            for (const Record& existing : domain.records) {
                if (existing.id == record.id) {
                    return false;
                }
            }
            if (domain.id == domain_id) {
                target = &domain;
            }
        }
    }
    if (target == nullptr || record.id == 0) {
        return false;
    }
    record.updated_on = local_timestamp();
    position = std::min(position, target->records.size());
    target->records.insert(target->records.begin() + static_cast<std::ptrdiff_t>(position),
                           std::move(record));
    return true;
}

bool ProviderStore::delete_record(std::uint64_t record_id) {
    std::lock_guard lock(mutex_);
    for (Account& account : data_.accounts) {
        for (Domain& domain : account.domains) {
            if (std::erase_if(domain.records,
                              [&](const Record& record) { return record.id == record_id; }) > 0) {
                return true;
            }
        }
    }
    return false;
}

void ProviderStore::set_forced_reply(const ForcedReply& forced) {
    std::lock_guard lock(mutex_);
    std::erase_if(forced_, [&](const ForcedReply& f) {
        return f.account_id == forced.account_id && f.action == forced.action;
    });
    if (!forced.code.empty()) {
        forced_.push_back(forced);
    }
}

void ProviderStore::clear_forced_replies() {
    std::lock_guard lock(mutex_);
    forced_.clear();
}

std::optional<ForcedReply> ProviderStore::forced_reply(const std::string& account_id,
                                                       std::string_view action) const {
    std::lock_guard lock(mutex_);
    const ForcedReply* for_all = nullptr;
    for (const ForcedReply& f : forced_) {
        if (f.account_id != account_id) {
            continue;
        }
        if (f.action == action) {
            return f;
        }
        if (f.action.empty()) {
            for_all = &f;
        }
    }
    return for_all == nullptr ? std::nullopt : std::optional<ForcedReply>(*for_all);
}

std::vector<ForcedReply> ProviderStore::forced_replies() const {
    std::lock_guard lock(mutex_);
    return forced_;
}

void ProviderStore::set_record_type_ignored(bool ignored) {
    std::lock_guard lock(mutex_);
    record_type_ignored_ = ignored;
}

bool ProviderStore::record_type_ignored() const {
    std::lock_guard lock(mutex_);
    return record_type_ignored_;
}

std::vector<std::string> ProviderStore::resolved_addresses(std::string_view host_name) const {
    // The name table never changes after construction, so no lock is needed.
    for (const auto& [name, addresses] : data_.httpdns) {
        if (same_ignoring_case(name, host_name)) {
            return addresses;
        }
    }
    return {};
}

}  // namespace velmora::sandbox
