#include "app/shell/watch_by_name.h"

#include <set>

#include "app/settings/remembered_watches.h"
#include "app/shell/stored_login.h"
#include "base/gbk.h"

namespace velmora {

namespace {

Text joined(const std::set<Text>& types) {
    Text text;
    for (const Text& type : types) {
        text += (text.empty() ? "" : gbk("、")) + type;
    }
    return text;
}

// Why no record was taken, naming what the name does have.
Text nothing_taken(const Text& name, const Text& type, const std::set<Text>& named_types,
                   bool watched) {
    if (named_types.empty()) {
        return gbk("账户的域名中没有名为 ") + name + gbk(" 的记录（请用 --list 查看）");
    }
    if (!type.empty() && named_types.contains(type)) {
        return name + gbk(" 的") + type + gbk("记录在第40行之后，无法监控");
    }
    if (!type.empty() || !watched) {
        return name + gbk(" 没有可以监控的") + (type.empty() ? gbk("A或AAAA") : type) +
               gbk("记录，只有：") + joined(named_types);
    }
    return name + gbk(" 只有") + joined(named_types) + gbk("记录；只有A和AAAA记录可以跟随公网IP");
}

}  // namespace

int change_watch(ShellConsole& console, const Endpoints& endpoints,
                 const SettingsLocation& settings, const Text& name, const Text& type,
                 bool watched) {
    const std::optional<AccountListing> listing =
        listing_with_stored_login(console, endpoints, settings);
    if (!listing) {
        return 1;
    }
    std::set<Text> named_types;
    int taken = 0;
    for (const AccountRecord& record : listing->records) {
        if (!names_record(name, record)) {
            continue;
        }
        named_types.insert(record.type);
        if (!record.watchable || (!type.empty() && record.type != type)) {
            continue;
        }
        ++taken;
        if (!remember_watch(settings.settings_file, record.domain_id, record.record_id, watched)) {
            console.complain(gbk("设置文件无法写入：") + settings.settings_file);
            return 1;
        }
        const Text said = watched ? (record.watched ? gbk("已在监控：") : gbk("开始监控："))
                                  : (record.watched ? gbk("不再监控：") : gbk("本来就没有监控："));
        console.print(said + full_name(record) + " " + record.type + " " + record.value +
                      gbk("（记录ID ") + record.record_id + gbk("）\n"));
    }
    if (taken == 0) {
        console.complain(nothing_taken(name, type, named_types, watched));
        return 1;
    }
    return 0;
}

}  // namespace velmora
