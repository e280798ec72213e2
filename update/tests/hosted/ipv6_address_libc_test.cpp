// The address reader and writer against the C library's inet_pton and inet_ntop, on
// random addresses, random spellings of them, and random damage to those spellings.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "update/ipv6_address.h"

namespace velmora {
namespace {

class Ipv6AgainstLibc : public ::testing::Test {
  protected:
    // Zero groups are frequent, so that runs of every length and place occur.
    Ipv6Bytes random_address() {
        Ipv6Bytes address{};
        for (std::size_t i = 0; i < address.size(); i += 2) {
            const unsigned group = chance(2) ? 0 : chance(3) ? random(16) : random(0x10000);
            address[i] = static_cast<std::uint8_t>(group >> 8);
            address[i + 1] = static_cast<std::uint8_t>(group & 0xFF);
        }
        return address;
    }

    // Any spelling RFC 4291 allows: leading zeros, either letter case, one run of zero
    // groups (maybe a single one) as "::", maybe a dotted tail.
    std::string random_spelling(const Ipv6Bytes& address) {
        std::vector<std::string> groups;
        for (std::size_t i = 0; i < address.size(); i += 2) {
            const unsigned group = address[i] << 8 | address[i + 1];
            char digits[5];
            std::snprintf(digits, sizeof digits, chance(2) ? "%04x" : "%x", group);
            std::string text = digits;
            text.erase(0, std::min(text.find_first_not_of('0'), random(text.size())));
            for (char& c : text) {
                c = chance(2) ? static_cast<char>(std::toupper(c)) : c;
            }
            groups.push_back(text);
        }
        if (chance(4)) {
            groups.pop_back();
            groups.back() = std::to_string(address[12]) + "." + std::to_string(address[13]) + "." +
                            std::to_string(address[14]) + "." + std::to_string(address[15]);
        }
        std::size_t run_start = groups.size();
        std::size_t run_length = 0;
        for (std::size_t start = 0; start < groups.size(); ++start) {
            std::size_t end = start;
            while (end < groups.size() && groups[end].find_first_not_of('0') == std::string::npos) {
                ++end;
            }
            if (end > start && chance(2)) {
                run_start = start;
                run_length = 1 + random(end - start);
                break;
            }
        }
        std::string text;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            if (i == run_start) {
                text += i == 0 ? "::" : ":";
                i += run_length - 1;
                continue;
            }
            text += groups[i] + (i + 1 < groups.size() ? ":" : "");
        }
        return text;
    }

    std::string damaged(std::string text) {
        static constexpr char alphabet[] = "0123456789abcdefABCDEFg:::...%[]/ \n";
        const std::size_t edits = 1 + random(2);
        for (std::size_t i = 0; i < edits; ++i) {
            const std::size_t at = random(text.size() + 1);
            const char c = alphabet[random(sizeof alphabet - 1)];
            switch (random(3)) {
                case 0:
                    text.insert(at, 1, c);
                    break;
                case 1:
                    if (at < text.size()) {
                        text.erase(at, 1);
                    }
                    break;
                default:
                    if (at < text.size()) {
                        text[at] = c;
                    }
            }
        }
        return text;
    }

    static std::optional<Ipv6Bytes> libc_parse(const std::string& text) {
        in6_addr address{};
        if (inet_pton(AF_INET6, text.c_str(), &address) != 1) {
            return std::nullopt;
        }
        Ipv6Bytes bytes{};
        std::memcpy(bytes.data(), &address, bytes.size());
        return bytes;
    }

    static std::string libc_text(const Ipv6Bytes& bytes) {
        in6_addr address{};
        std::memcpy(&address, bytes.data(), bytes.size());
        char text[INET6_ADDRSTRLEN];
        return inet_ntop(AF_INET6, &address, text, sizeof text);
    }

    std::size_t random(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(generator_);
    }
    bool chance(std::size_t one_in) { return random(one_in) == 0; }

    std::mt19937_64 generator_{20260309};
};

TEST_F(Ipv6AgainstLibc, CanonicalTextMatchesInetNtop) {
    for (int i = 0; i < 20000; ++i) {
        const Ipv6Bytes address = random_address();
        // The C library also writes IPv4-compatible addresses (::a.b.c.d, deprecated by
        // RFC 4291) with a dotted tail; RFC 5952 asks that only of IPv4-mapped ones.
        const bool ipv4_compatible =
            std::all_of(address.begin(), address.begin() + 12, [](auto b) { return b == 0; }) &&
            (address[12] != 0 || address[13] != 0);
        if (!ipv4_compatible) {
            EXPECT_EQ(ipv6_text(address), libc_text(address));
        }
        EXPECT_EQ(parse_ipv6(libc_text(address)), address) << libc_text(address);
    }
}

TEST_F(Ipv6AgainstLibc, EverySpellingReadsAsInetPtonReadsIt) {
    for (int i = 0; i < 20000; ++i) {
        const Ipv6Bytes address = random_address();
        const std::string text = random_spelling(address);
        EXPECT_EQ(libc_parse(text), address) << text;
        EXPECT_EQ(parse_ipv6(text), address) << text;
    }
}

TEST_F(Ipv6AgainstLibc, DamagedSpellingsAreRefusedWhereInetPtonRefusesThem) {
    int refused = 0;
    for (int i = 0; i < 50000; ++i) {
        const std::string text = damaged(random_spelling(random_address()));
        const std::optional<Ipv6Bytes> ours = parse_ipv6(text);
        EXPECT_EQ(ours, libc_parse(text)) << '"' << text << '"';
        refused += ours ? 0 : 1;
    }
    EXPECT_GT(refused, 10000);  // the damage really produced bad texts
}

}  // namespace
}  // namespace velmora
