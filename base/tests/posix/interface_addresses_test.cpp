// The interface reader against the kernel: on this machine, compared with what the ip
// tool shows, and in a private network namespace whose addresses the test makes itself
// (a temporary and a deprecated one among them).
#include "base/system/interface_addresses.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/tests/posix/private_network.h"

namespace velmora {
namespace {

std::string command_output(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, n);
        }
        pclose(pipe);
    }
    return output;
}

// One line per address, comparable and readable in a failure message.
std::string describe(const InterfaceAddress& a) {
    char text[INET6_ADDRSTRLEN];
    inet_ntop(AF_INET6, a.address.data(), text, sizeof text);
    return a.interface_name + " " + text + (a.temporary ? " temporary" : "") +
           (a.deprecated ? " deprecated" : "") + (a.tentative ? " tentative" : "");
}

std::multiset<std::string> described(const std::vector<InterfaceAddress>& list) {
    std::multiset<std::string> lines;
    for (const InterfaceAddress& a : list) {
        lines.insert(describe(a));
    }
    return lines;
}

// The addresses of running interfaces as `ip -o -6 addr show up` lists them, flags
// read from its words; an interface without carrier is not running.
std::multiset<std::string> ip_tool_view() {
    std::set<std::string> no_carrier;
    std::istringstream links(command_output("ip -o link show up 2>/dev/null"));
    for (std::string line; std::getline(links, line);) {
        std::istringstream words(line);
        std::string index, name;
        words >> index >> name;
        name = name.substr(0, name.find_first_of("@:"));
        if (line.find("NO-CARRIER") != std::string::npos) {
            no_carrier.insert(name);
        }
    }
    std::multiset<std::string> lines;
    std::istringstream addresses(command_output("ip -o -6 addr show up 2>/dev/null"));
    for (std::string line; std::getline(addresses, line);) {
        std::istringstream words(line);
        std::string index, name, family, prefix;
        words >> index >> name >> family >> prefix;
        InterfaceAddress a;
        a.interface_name = name.substr(0, name.find('@'));
        const std::string text = prefix.substr(0, prefix.find('/'));
        if (no_carrier.count(a.interface_name) != 0 ||
            inet_pton(AF_INET6, text.c_str(), a.address.data()) != 1) {
            continue;
        }
        const auto has = [&](const char* word) {
            return (" " + line + " ").find(std::string(" ") + word + " ") != std::string::npos;
        };
        a.temporary = has("temporary");
        a.deprecated = has("deprecated");
        a.tentative = has("dadfailed") || (has("tentative") && !has("optimistic"));
        lines.insert(describe(a));
    }
    return lines;
}

bool has_ip_tool() {
    return command_output("ip -V 2>/dev/null").find("ip") != std::string::npos;
}

TEST(InterfaceAddresses, ListWhatTheIpToolShowsOnThisMachine) {
    if (!has_ip_tool()) {
        GTEST_SKIP() << "the ip tool (iproute2) is not installed";
    }
    const std::multiset<std::string> ours = described(interface_ipv6_addresses());
    EXPECT_EQ(ours, ip_tool_view());
    if (std::ifstream("/proc/net/if_inet6").good() && ours.count("lo ::1") == 0) {
        ADD_FAILURE() << "the loopback address is missing";
    }
}

// In a forked child: a private network namespace, `setup` run by the shell, then what
// the reader and the ip tool see, as "ours" lines, a "--" line and "ip" lines;
// "unavailable" when there is no namespace to be had, or no IPv6 in it.
std::string read_in_private_namespace(const std::string& setup) {
    return testing::in_private_network(
        [] {
            std::string report;
            for (const std::string& line : described(interface_ipv6_addresses())) {
                report += line + "\n";
            }
            report += "--\n";
            for (const std::string& line : ip_tool_view()) {
                report += line + "\n";
            }
            return report;
        },
        setup);
}

TEST(InterfaceAddresses, ReadTheKernelsFlagsOfEveryAddress) {
    if (!has_ip_tool()) {
        GTEST_SKIP() << "the ip tool (iproute2) is not installed";
    }
    // On the loopback interface, which every namespace has: a stable address, a
    // deprecated one (preferred lifetime over), and a prefix for which the kernel makes
    // a temporary address itself.
    const std::string report = read_in_private_namespace(
        "ip link set lo up &&"
        " echo 2 >/proc/sys/net/ipv6/conf/lo/use_tempaddr &&"
        // No duplicate address detection: on a busy machine the reading could come
        // while the addresses are still tentative.
        " echo 0 >/proc/sys/net/ipv6/conf/lo/accept_dad &&"
        " ip addr add 2001:db8:3::1/64 dev lo &&"
        " ip addr add 2001:db8:2::1/64 dev lo preferred_lft 0 &&"
        " ip addr add 2001:db8:1::1/64 dev lo mngtmpaddr valid_lft 3600 preferred_lft 1800");
    if (report == "unavailable") {
        GTEST_SKIP() << "no private network namespace with IPv6 here";
    }
    const std::size_t split = report.find("--\n");
    ASSERT_NE(split, std::string::npos) << report;
    const std::string ours = report.substr(0, split);
    EXPECT_EQ(ours, report.substr(split + 3));  // the same as the ip tool
    EXPECT_NE(ours.find("lo ::1\n"), std::string::npos) << ours;
    EXPECT_NE(ours.find("lo 2001:db8:3::1\n"), std::string::npos) << ours;
    EXPECT_NE(ours.find("lo 2001:db8:2::1 deprecated\n"), std::string::npos) << ours;
    EXPECT_NE(ours.find("lo 2001:db8:1::1\n"), std::string::npos) << ours;
    // The temporary address has a random suffix under the same prefix.
    const std::size_t temporary = ours.find(" temporary\n");
    ASSERT_NE(temporary, std::string::npos) << ours;
    EXPECT_EQ(ours.rfind("lo 2001:db8:1:", temporary), ours.rfind('\n', temporary) + 1) << ours;
    EXPECT_EQ(std::count(ours.begin(), ours.end(), '\n'), 5) << ours;

    // An interface that is down holds nothing the reader lists.
    EXPECT_EQ(read_in_private_namespace("true"), "--\n");
}

}  // namespace
}  // namespace velmora
