#include "app/settings/address_sources.h"

#include "base/gbk.h"
#include "base/ini_file.h"

namespace velmora {

std::vector<EchoSource> read_echo_sources(const Text& settings_path) {
    // More entries than anyone lists; the bound only ends the reading.
    constexpr int kMostEntries = 100;
    std::vector<EchoSource> sources;
    for (int n = 1; n <= kMostEntries; ++n) {
        const Text key = std::to_string(n);
        Text url = read_ini_item(settings_path, gbk("地址来源"), key);
        if (url.empty()) {
            break;
        }
        sources.push_back({key, std::move(url)});
    }
    return sources;
}

}  // namespace velmora
