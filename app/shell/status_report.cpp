#include "app/shell/status_report.h"

#include <optional>

#include "app/settings/settings_file.h"
#include "app/shell/stored_login.h"
#include "base/system/atomic_file.h"
#include "base/gbk.h"
#include "update/address_discovery.h"
#include "update/ipv6_discovery.h"

namespace velmora {

namespace {

constexpr std::size_t kHistoryLines = 10;

// The last `count` lines of the file, in its own encoding, each with its line end.
std::string last_lines(const std::string& content, std::size_t count) {
    std::size_t start = content.size();
    if (start > 0 && content[start - 1] == '\n') {
        --start;
    }
    for (std::size_t seen = 0; start > 0 && seen < count; --start) {
        if (content[start - 1] == '\n' && ++seen == count) {
            break;
        }
    }
    std::string lines = content.substr(start);
    if (!lines.empty() && !lines.ends_with('\n')) {
        lines += '\n';
    }
    return lines;
}

Text follows(const Text& value, const Text& address) {
    if (address.empty()) {
        return gbk("（公网IP未知）");
    }
    return value == address ? gbk("（与公网IP一致）")
                            : gbk("（下一遍更新为 ") + address + gbk("）");
}

}  // namespace

int show_status(ShellConsole& console, const Endpoints& endpoints,
                const SettingsLocation& settings) {
    const std::optional<AccountListing> listing =
        listing_with_stored_login(console, endpoints, settings);
    if (!listing) {
        return 1;
    }
    const PublicAddress ipv4 = discover_usable_address(endpoints);
    const PublicIpv6 ipv6 = discover_public_ipv6(endpoints);
    console.print(gbk("公网IPv4：") + (ipv4.address.empty() ? ipv4.failure : ipv4.address) + "\n");
    console.print(gbk("公网IPv6：") + (ipv6.address.empty() ? gbk("没有") : ipv6.address) + "\n");

    console.print(gbk("监控中的记录：\n"));
    int watched = 0;
    for (const AccountRecord& record : listing->records) {
        if (!record.watched || !record.watchable) {
            continue;
        }
        ++watched;
        const Text& address = record.type == "A" ? ipv4.address : ipv6.address;
        console.print("  " + full_name(record) + " " + record.type + " " + record.value +
                      follows(record.value, address) + "\n");
    }
    if (watched == 0) {
        console.print(gbk("  没有（用 --watch NAME 监控一条记录）\n"));
    }

    const Text history = history_file_of(settings);
    console.print(gbk("最近的运行记录（") + history + gbk("）：\n"));
    const std::optional<std::string> content = read_whole_file(history);
    if (!content || content->empty()) {
        console.print(gbk("  还没有\n"));
    } else {
        console.print_local(last_lines(*content, kHistoryLines));
    }
    return 0;
}

}  // namespace velmora
