#include "app/settings/remembered_watches.h"

#include <algorithm>

#include "api/record_list_reply.h"
#include "base/controls/control_names.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/text.h"
#include "update/page_watch_list.h"
#include "update/run_log.h"

namespace velmora {

namespace {

const Text& watch_section() {
    return gbk("监控记录");
}

Text joined(const std::set<Text>& ids) {
    Text value;
    for (const Text& id : ids) {
        value += (value.empty() ? "" : ",") + id;
    }
    return value;
}

bool write_records(const Text& settings_path, const Text& domain_id, const std::set<Text>& ids) {
    return !shutdown_requested() &&
           write_ini_item(settings_path, watch_section(), domain_id, joined(ids));
}

}  // namespace

std::set<Text> remembered_records(const Text& settings_path, const Text& domain_id) {
    std::set<Text> ids;
    if (!is_domain_id(domain_id)) {
        return ids;
    }
    for (const Text& piece :
         split_text(read_ini_item(settings_path, watch_section(), domain_id), ",")) {
        const Text id = trim_spaces(piece);
        if (is_domain_id(id)) {
            ids.insert(id);
        }
    }
    return ids;
}

bool remember_watch(const Text& settings_path, const Text& domain_id, const Text& record_id,
                    bool watched) {
    if (shutdown_requested() || !is_domain_id(domain_id) || !is_domain_id(record_id)) {
        return true;
    }
    std::set<Text> ids = remembered_records(settings_path, domain_id);
    const bool changed = watched ? ids.insert(record_id).second : ids.erase(record_id) > 0;
    return !changed || write_records(settings_path, domain_id, ids);
}

void restore_remembered_watches(Controls& controls, const Text& settings_path, int page,
                                RunLog& log) {
    const Text& list = control::record_list(page);
    const Text domain_id = controls.list_cell_text(list, 0, control::column::kRecordId);
    std::set<Text> remembered = remembered_records(settings_path, domain_id);
    if (remembered.empty()) {
        return;
    }
    std::set<Text> listed;
    const int rows = controls.list_row_count(list);
    for (int row = 1; row < rows; ++row) {
        const Text record_id = controls.list_cell_text(list, row, control::column::kRecordId);
        listed.insert(record_id);
        if (row <= PageWatchList::kSlotCount && remembered.contains(record_id) &&
            !controls.list_row_checked(list, row)) {
            controls.set_list_row_checked(list, row, true);
        }
    }
    std::set<Text> kept;
    for (const Text& id : remembered) {
        if (listed.contains(id)) {
            kept.insert(id);
        } else {
            log.write(gbk("记录已不存在，不再监控：记录ID ") + id);
        }
    }
    if (kept.size() != remembered.size()) {
        write_records(settings_path, domain_id, kept);
    }
}

}  // namespace velmora
