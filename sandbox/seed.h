// The provider's data: accounts, their domains and the domains' host records, and the
// names the HTTP-DNS endpoint resolves. A seed file gives the starting state (see
// sandbox/README.md for its format); tests may also build a SeedData in code.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::sandbox {

struct Record {
    std::uint64_t id = 0;  // 0 in a seed: the next free id is assigned
    std::string name;      // host record, "@" for the domain itself
    std::string type;      // "A", "AAAA", "CNAME", "MX", "NS" or "TXT"
    std::string value;
    int ttl = 600;
    std::string line = "默认";  // UTF-8; the only line the sandbox offers
    std::string line_id = "0";
    std::string updated_on;  // "YYYY-MM-DD HH:MM:SS"; set when the record changes
};

struct Domain {
    std::uint64_t id = 0;  // 0 in a seed: the next free id is assigned
    std::string name;      // display name, UTF-8 (may be non-ASCII)
    std::string punycode;  // ASCII form; empty in a seed: the name is used
    std::vector<Record> records;
};

struct Account {
    std::string id{};  // the part of login_token before the comma
    std::string token{};
    std::vector<Domain> domains{};
};

struct SeedData {
    std::vector<Account> accounts;
    // Host name -> the addresses the HTTP-DNS endpoint answers for it.
    std::map<std::string, std::vector<std::string>> httpdns;
};

// Assigns the missing ids and punycode forms and checks the rest: account ids
// non-empty, without a comma and unique; tokens non-empty; domain and record ids
// unique. Gives the empty text when the seed is usable, else what is wrong.
std::string complete_seed(SeedData& seed);

// Reads a seed from JSON text or a file and completes it. False with a message on error.
bool parse_seed(std::string_view json, SeedData& seed, std::string* error = nullptr);
bool load_seed_file(const std::string& path, SeedData& seed, std::string* error = nullptr);

// The demo account of sandbox/seed/demo.json, compiled in.
SeedData demo_seed();

}  // namespace velmora::sandbox
