#include "sandbox/seed.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "sandbox/json_reader.h"

namespace velmora::sandbox {

// Generated at configure time from sandbox/seed/demo.json.
extern const char* const demo_seed_json;

namespace {

bool whole_number(const JsonValue* value, std::uint64_t& out) {
    if (value == nullptr) {
        return true;  // absent: keep the default
    }
    const std::string& text = value->text;
    if (value->kind != JsonValue::Kind::number) {
        return false;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc{} && end == text.data() + text.size();
}

bool text_member(const JsonValue& object, std::string_view key, std::string& out) {
    const JsonValue* value = object.find(key);
    if (value == nullptr) {
        return true;
    }
    if (value->kind != JsonValue::Kind::string) {
        return false;
    }
    out = value->text;
    return true;
}

const JsonValue* array_member(const JsonValue& object, std::string_view key) {
    const JsonValue* value = object.find(key);
    return value != nullptr && value->kind == JsonValue::Kind::array ? value : nullptr;
}

bool read_record(const JsonValue& json, Record& record) {
    std::uint64_t ttl = static_cast<std::uint64_t>(record.ttl);
    const bool ok =
        json.kind == JsonValue::Kind::object && whole_number(json.find("id"), record.id) &&
        text_member(json, "name", record.name) && text_member(json, "type", record.type) &&
        text_member(json, "value", record.value) && whole_number(json.find("ttl"), ttl) &&
        ttl <= 604800 && text_member(json, "line", record.line);
    record.ttl = static_cast<int>(ttl);
    return ok;
}

bool read_domain(const JsonValue& json, Domain& domain) {
    if (json.kind != JsonValue::Kind::object || !whole_number(json.find("id"), domain.id) ||
        !text_member(json, "name", domain.name) ||
        !text_member(json, "punycode", domain.punycode)) {
        return false;
    }
    if (const JsonValue* records = array_member(json, "records")) {
        for (const JsonValue& item : records->items) {
            if (!read_record(item, domain.records.emplace_back())) {
                return false;
            }
        }
    }
    return true;
}

bool read_account(const JsonValue& json, Account& account) {
    if (json.kind != JsonValue::Kind::object || !text_member(json, "id", account.id) ||
        !text_member(json, "token", account.token)) {
        return false;
    }
    if (const JsonValue* domains = array_member(json, "domains")) {
        for (const JsonValue& item : domains->items) {
            if (!read_domain(item, account.domains.emplace_back())) {
                return false;
            }
        }
    }
    return true;
}

bool read_httpdns(const JsonValue& json, SeedData& seed) {
    if (json.kind != JsonValue::Kind::object) {
        return false;
    }
    for (std::size_t i = 0; i < json.keys.size(); ++i) {
        std::vector<std::string>& addresses = seed.httpdns[json.keys[i]];
        if (json.items[i].kind != JsonValue::Kind::array) {
            return false;
        }
        for (const JsonValue& address : json.items[i].items) {
            if (address.kind != JsonValue::Kind::string) {
                return false;
            }
            addresses.push_back(address.text);
        }
    }
    return true;
}

bool read_seed(const JsonValue& json, SeedData& seed) {
    if (json.kind != JsonValue::Kind::object) {
        return false;
    }
    if (const JsonValue* accounts = array_member(json, "accounts")) {
        for (const JsonValue& item : accounts->items) {
            if (!read_account(item, seed.accounts.emplace_back())) {
                return false;
            }
        }
    }
    const JsonValue* httpdns = json.find("httpdns");
    return httpdns == nullptr || read_httpdns(*httpdns, seed);
}

}  // namespace

std::string complete_seed(SeedData& seed) {
    std::set<std::string> account_ids;
    std::set<std::uint64_t> domain_ids;
    std::set<std::uint64_t> record_ids;
    for (const Account& account : seed.accounts) {
        if (account.id.empty() || account.id.find(',') != std::string::npos ||
            !account_ids.insert(account.id).second) {
            return "account id \"" + account.id + "\" is empty, holds a comma or repeats";
        }
        if (account.token.empty()) {
            return "account " + account.id + " has no token";
        }
        for (const Domain& domain : account.domains) {
            if (domain.id != 0 && !domain_ids.insert(domain.id).second) {
                return "domain id " + std::to_string(domain.id) + " repeats";
            }
            for (const Record& record : domain.records) {
                if (record.id != 0 && !record_ids.insert(record.id).second) {
                    return "record id " + std::to_string(record.id) + " repeats";
                }
            }
        }
    }
    std::uint64_t next_domain = domain_ids.empty() ? 1001 : *domain_ids.rbegin() + 1;
    std::uint64_t next_record = record_ids.empty() ? 5001 : *record_ids.rbegin() + 1;
    for (Account& account : seed.accounts) {
        for (Domain& domain : account.domains) {
            if (domain.id == 0) {
                domain.id = next_domain++;
            }
            if (domain.punycode.empty()) {
                domain.punycode = domain.name;
            }
            for (Record& record : domain.records) {
                if (record.id == 0) {
                    record.id = next_record++;
                }
            }
        }
    }
    return {};
}

bool parse_seed(std::string_view json, SeedData& seed, std::string* error) {
    std::string message;
    const std::optional<JsonValue> document = parse_json(json, &message);
    SeedData read;
    if (document && !read_seed(*document, read)) {
        message = "a seed member has the wrong kind of value";
    } else if (document) {
        message = complete_seed(read);
    }
    if (!message.empty()) {
        if (error != nullptr) {
            *error = message;
        }
        return false;
    }
    seed = std::move(read);
    return true;
}

bool load_seed_file(const std::string& path, SeedData& seed, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error != nullptr) {
            *error = "cannot open " + path;
        }
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parse_seed(text.str(), seed, error);
}

SeedData demo_seed() {
    SeedData seed;
    std::string error;
    if (!parse_seed(demo_seed_json, seed, &error)) {
        // The compiled-in seed is part of the build; a broken one is a build fault.
        std::cerr << "velmora-sandbox: the built-in demo seed is invalid: " << error << "\n";
        std::abort();
    }
    return seed;
}

}  // namespace velmora::sandbox
