#include "app/shell/record_list.h"

#include <algorithm>
#include <array>
#include <vector>

#include "app/shell/stored_login.h"
#include "base/gbk.h"

namespace velmora {

namespace {

constexpr std::size_t kColumns = 5;
using Line = std::array<Text, kColumns>;

Text watch_state(const AccountRecord& record) {
    if (record.watched) {
        return gbk("监控中");
    }
    return record.watchable ? Text() : gbk("不可监控");
}

// GBK bytes count as terminal columns (a two-byte character is two columns wide), so
// padding by bytes lines the columns up.
void print_aligned(ShellConsole& console, const std::vector<Line>& lines) {
    std::array<std::size_t, kColumns> widths{};
    for (const Line& line : lines) {
        for (std::size_t column = 0; column < kColumns; ++column) {
            widths[column] = std::max(widths[column], line[column].size());
        }
    }
    for (const Line& line : lines) {
        Text text = "  ";
        for (std::size_t column = 0; column < kColumns; ++column) {
            text += line[column];
            if (column + 1 < kColumns) {
                text += Text(widths[column] - line[column].size() + 2, ' ');
            }
        }
        while (text.ends_with(' ')) {
            text.pop_back();
        }
        console.print(text + "\n");
    }
}

}  // namespace

int list_records(ShellConsole& console, const Endpoints& endpoints,
                 const SettingsLocation& settings) {
    const std::optional<AccountListing> listing =
        listing_with_stored_login(console, endpoints, settings);
    if (!listing) {
        return 1;
    }
    const Line heading = {gbk("主机记录"), gbk("类型"), gbk("记录值"), gbk("记录ID"), gbk("监控")};
    int page = 0;
    std::vector<Line> lines;
    const auto flush = [&] {
        if (!lines.empty()) {
            print_aligned(console, lines);
            lines.clear();
        }
    };
    for (const AccountRecord& record : listing->records) {
        if (record.page != page) {
            flush();
            page = record.page;
            console.print(gbk("域名 ") + record.domain + gbk("（域名ID ") + record.domain_id +
                          gbk("）\n"));
            lines.push_back(heading);
        }
        lines.push_back(
            {record.host, record.type, record.value, record.record_id, watch_state(record)});
    }
    flush();
    return 0;
}

}  // namespace velmora
